#include "lists/SongLists.h"

#include "platform/DirListing.h"
#include "platform/RegularFile.h"
#include "platform/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace stanzary {

SongList::SongList(QObject *parent) : QObject(parent) {}

void SongList::append(const QString &entry)
{
    m_entries.append(entry);
    emit changed();
}

int SongList::removeAll(const QString &entry)
{
    const int removed = static_cast<int>(m_entries.removeAll(entry));
    if (removed > 0)
        emit changed();
    return removed;
}

void SongList::removeAt(int i)
{
    if (i < 0 || i >= m_entries.size())
        return;
    m_entries.removeAt(i);
    emit changed();
}

void SongList::clear()
{
    if (m_entries.isEmpty())
        return;
    m_entries.clear();
    emit changed();
}

void SongList::assign(const QStringList &entries)
{
    m_entries = entries;
    emit changed();
}

QStringList parseListText(const QString &text)
{
    qsizetype first = 0;
    while (first < text.size() && text.at(first) == u' ')
        ++first;
    if (first == text.size())
        return {};
    // A line ends with CR LF, or with a bare LF (a list edited with a tool of
    // this system): split at CR LF only, such a file would load no entry at
    // all and be emptied at its next write. Text after the last line end is
    // not an entry.
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype lf = text.indexOf(u'\n'); lf >= 0; lf = text.indexOf(u'\n', start)) {
        const qsizetype end = lf > start && text.at(lf - 1) == u'\r' ? lf - 1 : lf;
        pieces.append(text.mid(start, end - start));
        start = lf + 1;
    }
    return pieces;
}

QString listFileText(const QStringList &entries)
{
    QString text;
    for (const QString &entry : entries)
        text += entry + QStringLiteral("\r\n");
    return text;
}

SongLists::SongLists()
    : m_files{{&redownload, QStringLiteral("redownload.txt")}, {&deleted, QStringLiteral("deleted.txt")}}
{
    for (const ListFile &file : m_files) {
        const ListFile *f = &file;
        QObject::connect(file.list, &SongList::changed, file.list, [this, f] {
            if (!m_loading && !m_folder.isEmpty())
                writeList(*f);
        });
    }
}

namespace {

// The folders installed programs are put in: the system's (by a package
// manager) and the user's own ~/.local/bin. The lists never go there, not
// even for root, who can write the system's: they belong to the user, and
// removing the program must not find or leave files of its own there.
bool isInstalledProgramFolder(const QFileInfo &folder)
{
#ifdef Q_OS_UNIX
    const QString canonical = folder.canonicalFilePath();
    if (canonical.isEmpty())
        return false;
    const QStringList installed = {QStringLiteral("/bin"),
                                   QStringLiteral("/sbin"),
                                   QStringLiteral("/usr/bin"),
                                   QStringLiteral("/usr/sbin"),
                                   QStringLiteral("/usr/games"),
                                   QStringLiteral("/usr/local/bin"),
                                   QStringLiteral("/usr/local/sbin"),
                                   QStringLiteral("/usr/local/games"),
                                   QDir::homePath() + QStringLiteral("/.local/bin")};
    for (const QString &dir : installed) {
        if (canonical == QFileInfo(dir).canonicalFilePath())
            return true;
    }
#else
    Q_UNUSED(folder);
#endif
    return false;
}

} // namespace

QString SongLists::listsFolderFor(const QString &programDir)
{
    if (!programDir.isEmpty()) {
        const QFileInfo info(programDir);
        // The owner-write bit is tested too, so that a folder marked
        // read-only is respected even by a process that could write it.
        if (info.isDir() && info.isWritable() && info.permission(QFileDevice::WriteOwner)
            && !isInstalledProgramFolder(info))
            return withTrailingSeparator(QDir::cleanPath(info.absoluteFilePath()));
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return withTrailingSeparator(data);
}

void SongLists::LoadLists(const QString &programDir, const CodePage &codePage)
{
    m_codePage = codePage;
    m_folder = listsFolderFor(programDir);
    m_loading = true;
    m_readErrors.clear();
    for (ListFile &file : m_files)
        loadList(file);
    m_loading = false;
}

void SongLists::loadList(ListFile &file)
{
    const QString path = m_folder + file.fileName;
    file.readable = true;
    const FileContent content = readRegularFile(path, MaxTextFileBytes);
    if (content.status == FileReadStatus::Missing) {
        const WriteResult made = writeFileSafely(path, QByteArray());
        if (!made.ok())
            reportFailure(path, made.error);
        file.list->assign({});
        return;
    }
    if (!content.ok()) {
        file.readable = false; // keep the file as it is for the whole run
        m_readErrors.append(file.fileName + QStringLiteral(": ") + content.error);
        file.list->assign({});
        return;
    }
    file.list->assign(parseListText(m_codePage.decode(content.bytes)));
}

void SongLists::SaveLists()
{
    if (m_folder.isEmpty())
        return;
    for (const ListFile &file : m_files)
        writeList(file);
}

bool SongLists::writeList(const ListFile &file)
{
    const QString path = m_folder + file.fileName;
    if (!file.readable) {
        reportFailure(path, QStringLiteral("the file could not be read at start and is kept as it was"));
        return false;
    }
    const SongList &list = *file.list;
    if (list.isEmpty()) {
        if (isReadOnlyFile(path)) {
            reportFailure(path, QStringLiteral("the file is read-only"));
            return false;
        }
        if (QFileInfo::exists(path) && !QFile::remove(path)) {
            reportFailure(path, QStringLiteral("the file could not be deleted"));
            return false;
        }
        return true;
    }
    const QString text = listFileText(list.entries());
    const std::optional<QByteArray> bytes = m_codePage.encode(text);
    if (!bytes) {
        reportFailure(path, QStringLiteral("the character \"") + m_codePage.firstUnencodable(text)
                                + QStringLiteral("\" cannot be written in code page ") + m_codePage.name());
        return false;
    }
    const WriteResult written = writeFileSafely(path, *bytes);
    if (written.status == WriteStatus::ReadOnly) {
        reportFailure(path, QStringLiteral("the file is read-only"));
        return false;
    }
    if (!written.ok()) {
        reportFailure(path, written.error);
        return false;
    }
    return true;
}

void SongLists::reportFailure(const QString &path, const QString &reason)
{
    if (onWriteFailed)
        onWriteFailed(path, reason);
}

} // namespace stanzary
