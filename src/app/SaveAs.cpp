#include "app/SaveAs.h"

#include "app/basMain.h"
#include "platform/DirListing.h"
#include "store/SongNames.h"

#include <QDir>
#include <QFileInfo>

namespace stanzary {

// The separators of both platforms, the host's reserved characters and
// control characters.
QString firstBadNameCharacter(const QString &text)
{
    static const QString reserved = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : text) {
        if (reserved.contains(c) || c.unicode() < 0x20)
            return QString(c);
    }
    return QString();
}

namespace {

// The subfolder of dir named name, ignoring case (an exact match wins), or
// name itself when there is none.
QString folderIgnoringCase(const QString &dir, const QString &name)
{
    if (QFileInfo(QDir(dir).filePath(name)).isDir())
        return name;
    const QStringList folders = listSubfolders(dir);
    for (const QString &f : folders) {
        if (QString::compare(f, name, Qt::CaseInsensitive) == 0)
            return f;
    }
    return name;
}

} // namespace

SaveAsTarget saveAsTarget(const basMain &state, const QString &artist, const QString &song)
{
    SaveAsTarget target;
    target.badCharacter = firstBadNameCharacter(artist + song);
    if (!target.badCharacter.isEmpty() || artist.isEmpty())
        return target;
    QString folder = state.strLyricsPath;
    if (!state.blnSingleDir)
        folder += folderIgnoringCase(folder, artist.left(artist.front().isHighSurrogate() ? 2 : 1)) + u'/';
    const QString fileName = listEntry(artist, song) + QStringLiteral(".txt");
    const QString onDisk = findFileIgnoringCase(folder, fileName);
    target.exists = !onDisk.isEmpty();
    target.path = folder + (target.exists ? onDisk : fileName);
    return target;
}

bool makeFolderOf(const QString &path)
{
    const QFileInfo file(path);
    const QDir folder = file.absoluteDir();
    if (folder.exists())
        return true;
    QDir parent = folder;
    return parent.cdUp() && parent.mkdir(folder.dirName());
}

} // namespace stanzary
