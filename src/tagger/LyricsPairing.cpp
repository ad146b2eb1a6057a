#include "tagger/LyricsPairing.h"

namespace stanzary {

bool isBlankLine(const QString &line)
{
    for (const QChar c : line) {
        if (c != u' ' && c != u'\t')
            return false;
    }
    return true;
}

QString linePrefix(const QString &line)
{
    return QString(line + QStringLiteral("  ")).left(2);
}

QStringList lyricLines(const QString &lyricsText)
{
    static const QString trailer = QStringLiteral("----------------\n* Downloaded from:");
    QString text = lyricsText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const qsizetype at = text.lastIndexOf(trailer);
    return (at >= 0 ? text.left(at) : text).split(u'\n');
}

StampPairing pairStamps(const QList<KasRecord> &stamps, const QStringList &lines, const CodePage &codePage)
{
    StampPairing result;
    qsizetype next = 0; // the first line the next stamp may take
    for (int k = 0; k < stamps.size(); ++k) {
        if (!isStoredRecord(stamps.at(k)))
            continue; // what saving leaves out is no stamp to pair
        const QString prefix = codePage.decode(stamps.at(k).prefix);
        const std::optional<StampTime> time = CodeToTime(stamps.at(k).code);
        qsizetype found = -1;
        for (qsizetype i = next; time && i < lines.size() && found < 0; ++i) {
            if (!isBlankLine(lines.at(i)) && linePrefix(lines.at(i)) == prefix)
                found = i;
        }
        if (found < 0) {
            result.unpaired.append({k, prefix, time});
            continue;
        }
        result.paired.append({*time, lines.at(found), k, found});
        next = found + 1;
    }
    return result;
}

QString describeUnpaired(const UnpairedStamp &stamp)
{
    const QString when =
        stamp.time ? stampText(*stamp.time) + QStringLiteral(", ") : QStringLiteral("unreadable time, ");
    return QStringLiteral("stamp %1 (%2\"%3\")").arg(stamp.index + 1).arg(when, stamp.prefix);
}

} // namespace stanzary
