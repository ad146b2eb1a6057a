#include "platform/DirListing.h"

#include "platform/ReplacementFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace stanzary {

namespace {

enum class EntryKind { File, Folder, Replacement, Other };

#ifdef Q_OS_UNIX

// The kind of an entry, links followed; the entry type from the listing saves
// a stat for everything but links and file systems that do not report it.
EntryKind kindOf(DIR *folder, const dirent *entry)
{
    switch (entry->d_type) {
    case DT_REG: return EntryKind::File;
    case DT_DIR: return EntryKind::Folder;
    case DT_LNK:
    case DT_UNKNOWN: break;
    default: return EntryKind::Other;
    }
    struct stat st = {};
    if (::fstatat(::dirfd(folder), entry->d_name, &st, 0) != 0)
        return EntryKind::Other; // a broken link
    if (S_ISREG(st.st_mode))
        return EntryKind::File;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    return EntryKind::Other;
}

// Calls visit(name bytes, kind) for every non-hidden entry of a folder, and
// for every hidden regular file with the name of a copy of ours (kind
// Replacement). False when the folder cannot be read.
template <typename Visit>
bool visitNativeFolder(const QByteArray &nativeDir, Visit visit)
{
    DIR *folder = ::opendir(nativeDir.constData());
    if (!folder)
        return false;
    while (const dirent *entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.') {
            // Hidden, and "." and "..", but for copies of ours left behind.
            if (isReplacementName(QFile::decodeName(entry->d_name)) && kindOf(folder, entry) == EntryKind::File)
                visit(QByteArray(entry->d_name), EntryKind::Replacement);
            continue;
        }
        const EntryKind kind = kindOf(folder, entry);
        if (kind != EntryKind::Other)
            visit(QByteArray(entry->d_name), kind);
    }
    ::closedir(folder);
    return true;
}

#endif

} // namespace

#ifdef Q_OS_UNIX

FolderEntries readFolder(const QString &dir)
{
    FolderEntries out;
    if (dir.isEmpty())
        return out;
    visitNativeFolder(QFile::encodeName(dir), [&](QByteArray &&raw, EntryKind kind) {
        QString name = QFile::decodeName(raw);
        // Bytes that do not decode come back as U+FFFD and name another file.
        const bool decodes = !name.contains(QChar::ReplacementCharacter) || QFile::encodeName(name) == raw;
        if (kind == EntryKind::Replacement) {
            if (decodes)
                out.replacements.append(std::move(name));
        } else if (kind == EntryKind::File) {
            if (decodes)
                out.files.append(std::move(name));
            else
                out.undecodableFiles.append(std::move(raw));
        } else {
            if (decodes)
                out.folders.append(std::move(name));
            else
                out.undecodableFolders.append(std::move(raw));
        }
    });
    return out;
}

QList<QByteArray> fileNamesInNativeFolder(const QByteArray &nativeDir)
{
    QList<QByteArray> names;
    visitNativeFolder(nativeDir, [&](QByteArray &&raw, EntryKind kind) {
        if (kind == EntryKind::File)
            names.append(std::move(raw));
    });
    return names;
}

#else

FolderEntries readFolder(const QString &dir)
{
    FolderEntries out;
    if (dir.isEmpty())
        return out;
    out.files = QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    out.folders = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    return out;
}

QList<QByteArray> fileNamesInNativeFolder(const QByteArray &nativeDir)
{
    QList<QByteArray> names;
    const QStringList files = readFolder(QFile::decodeName(nativeDir)).files;
    for (const QString &name : files)
        names.append(QFile::encodeName(name));
    return names;
}

#endif

int countWithSuffix(const QList<QByteArray> &names, const QByteArray &suffix)
{
    return int(std::count_if(names.begin(), names.end(), [&](const QByteArray &name) {
        return name.size() >= suffix.size() && name.right(suffix.size()).compare(suffix, Qt::CaseInsensitive) == 0;
    }));
}

void UnlistedFiles::add(const QString &folder, int files)
{
    if (files <= 0)
        return;
    count += files;
    if (!folders.contains(folder))
        folders.append(folder);
}

bool lessIgnoringCase(const QString &a, const QString &b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    if (c != 0)
        return c < 0;
    return a < b;
}

QStringList listFiles(const QString &dir)
{
    return readFolder(dir).files;
}

QStringList listFilesWithSuffix(const QString &dir, const QString &suffix)
{
    return filesWithSuffix(listFiles(dir), suffix);
}

QStringList filesWithSuffix(QStringList names, const QString &suffix)
{
    names.removeIf([&](const QString &n) { return !n.endsWith(suffix, Qt::CaseInsensitive); });
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

QStringList listSubfolders(const QString &dir)
{
    QStringList names = readFolder(dir).folders;
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

QString findFileIgnoringCase(const QString &dir, const QString &name)
{
    if (name.isEmpty() || name.startsWith(u'.'))
        return QString();
    const QFileInfo exact(QDir(dir).filePath(name));
    if (exact.isFile())
        return name;
    const QStringList names = listFiles(dir);
    for (const QString &n : names) {
        if (QString::compare(n, name, Qt::CaseInsensitive) == 0)
            return n;
    }
    return QString();
}

QString withTrailingSeparator(const QString &path)
{
    if (path.isEmpty() || path.endsWith(u'/'))
        return path;
    return path + u'/';
}

} // namespace stanzary
