#include "app/JoinLyrics.h"

#include "app/basMain.h"
#include "platform/DirListing.h"
#include "store/LyricsFile.h"
#include "store/SongNames.h"

namespace stanzary {

namespace {

const QByteArray CrLf = QByteArrayLiteral("\r\n");

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QList<CheckedSong> checkedSongs(const NodeCollection &nodes)
{
    QList<CheckedSong> songs;
    for (int p = 1; p <= nodes.count(); ++p) {
        const TreeNode &node = nodes.at(p);
        if (!node.checked || nodes.childCount(p) > 0)
            continue;
        const int parent = nodes.parentOf(p);
        songs.append({p, parent > 0 ? nodes.at(parent).text : QString(), node.text});
    }
    return songs;
}

JoinedText joinCheckedSongs(const basMain &state)
{
    JoinedText joined;
    for (const CheckedSong &checked : checkedSongs(state.nodes)) {
        const QString name = listEntry(checked.artist, checked.song);
        const std::optional<QByteArray> header = state.codePage.encode(QStringLiteral(":: ") + name);
        if (!header) {
            joined.unencodableName = name;
            return joined;
        }
        joined.bytes += *header + CrLf + QByteArray(15, '-') + CrLf;
        const QString path = state.strLyricsPath + state.nodes.at(checked.position).key;
        if (const std::optional<QByteArray> lyrics = readLyricsBytes(path))
            joined.bytes += *lyrics + CrLf + QByteArray(25, '=') + CrLf + CrLf;
        else
            joined.fileMissing = true;
        ++joined.songCount;
    }
    return joined;
}

QString joinedFileName(int songCount, const QDateTime &when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QString::number(songCount) + QStringLiteral(" Lyrics Joined at ") + twoDigits(d.month()) + QLatin1Char('-')
           + twoDigits(d.day()) + QLatin1Char('-') + QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'))
           + QLatin1Char(' ') + QString::number(t.hour()) + QLatin1Char('-') + QString::number(t.minute())
           + QStringLiteral(".txt");
}

QString joinedFileFolder(const basMain &state)
{
    return withTrailingSeparator(state.strHostPath.isEmpty() ? state.strProgramPath : state.strHostPath);
}

JoinOutcome JoinCheckedLyrics(const basMain &state)
{
    JoinOutcome out;
    const JoinedText joined = joinCheckedSongs(state);
    out.fileMissing = joined.fileMissing;
    out.unencodableName = joined.unencodableName;
    if (!out.unencodableName.isEmpty())
        return out;
    if (joined.bytes.isEmpty()) {
        out.nothingJoined = true;
        return out;
    }
    out.fileName = joinedFileName(joined.songCount, state.now());
    out.path = joinedFileFolder(state) + out.fileName;
    out.write = writeFileSafely(out.path, joined.bytes + CrLf);
    return out;
}

} // namespace stanzary
