#include "platform/DirListing.h"

#include "platform/ReplacementFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstring>

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

namespace {

// One unit folded as QString's case-insensitive comparison folds it: the
// unit's own case folding, or for the second unit of a surrogate pair the
// folding of the whole character. ASCII, nearly every name, needs no table.
char32_t foldedUnit(char16_t unit, char16_t previous)
{
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? char32_t(unit + 0x20) : char32_t(unit);
    if (QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(previous))
        return QChar::toCaseFolded(QChar::surrogateToUcs4(previous, unit));
    return QChar::toCaseFolded(char32_t(unit));
}

} // namespace

FoldedNames::FoldedNames(const QStringList &names) : m_names(names)
{
    qsizetype units = 0;
    for (const QString &name : names)
        units += name.size();
    m_values.resize(static_cast<size_t>(units));
    m_ends.resize(static_cast<size_t>(names.size()) + 1);
    char32_t *out = m_values.data();
    size_t *end = m_ends.data();
    *end++ = 0;
    for (const QString &name : names) {
        const char16_t *in = QStringView(name).utf16();
        char16_t previous = 0;
        for (qsizetype i = 0; i < name.size(); ++i) {
            *out++ = foldedUnit(in[i], previous);
            previous = in[i];
        }
        *end++ = static_cast<size_t>(out - m_values.data());
    }
}

namespace {

// Compares two folded names value by value, the shorter first when one begins
// the other. Equal pairs of values are passed over with one 64-bit comparison.
int compareFolded(std::u32string_view a, std::u32string_view b)
{
    const size_t common = std::min(a.size(), b.size());
    size_t i = 0;
    for (; i + 2 <= common; i += 2) {
        quint64 x = 0;
        quint64 y = 0;
        std::memcpy(&x, a.data() + i, sizeof x);
        std::memcpy(&y, b.data() + i, sizeof y);
        if (x != y) {
            if (a[i] != b[i])
                return a[i] < b[i] ? -1 : 1;
            return a[i + 1] < b[i + 1] ? -1 : 1;
        }
    }
    if (i < common && a[i] != b[i])
        return a[i] < b[i] ? -1 : 1;
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return 0;
}

} // namespace

namespace {

// The first sixteen values of a folded name, 16 bits each in four words, for
// comparisons that most often end there: a name that ends early has zeros
// (no name holds U+0000), and from the first value that does not fit (U+FFFF
// and beyond) on every field is 0xFFFF. Two names whose prefixes differ
// compare as their prefixes do; equal prefixes tell nothing.
struct FoldedPrefix
{
    std::array<quint64, 4> words{};

    explicit FoldedPrefix(std::u32string_view name)
    {
        bool full = false;
        for (size_t k = 0; k < 16; ++k) {
            quint64 field = 0;
            if (full || (k < name.size() && name[k] >= 0xFFFF)) {
                field = 0xFFFF;
                full = true;
            } else if (k < name.size()) {
                field = name[k];
            }
            words[k / 4] = (words[k / 4] << 16) | field;
        }
    }
};

} // namespace

void FoldedNames::sort(std::vector<qsizetype> &positions) const
{
    struct Entry
    {
        FoldedPrefix prefix;
        qsizetype position;
    };
    std::vector<Entry> entries;
    entries.reserve(positions.size());
    for (qsizetype p : positions)
        entries.push_back({FoldedPrefix(at(p)), p});
    std::sort(entries.begin(), entries.end(), [this](const Entry &a, const Entry &b) {
        for (size_t w = 0; w < a.prefix.words.size(); ++w) {
            if (a.prefix.words[w] != b.prefix.words[w])
                return a.prefix.words[w] < b.prefix.words[w];
        }
        const int c = compareFolded(at(a.position), at(b.position));
        if (c != 0)
            return c < 0;
        return m_names.at(a.position) < m_names.at(b.position);
    });
    for (size_t i = 0; i < entries.size(); ++i)
        positions[i] = entries[i].position;
}

void sortIgnoringCase(QStringList &names)
{
    const FoldedNames folded(names);
    std::vector<qsizetype> order(static_cast<size_t>(names.size()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<qsizetype>(i);
    folded.sort(order);
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype i : order)
        sorted.append(names.at(i));
    names = std::move(sorted);
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
    sortIgnoringCase(names);
    return names;
}

QStringList listSubfolders(const QString &dir)
{
    QStringList names = readFolder(dir).folders;
    sortIgnoringCase(names);
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
