#include "karaoke/StampCreation.h"

#include "tagger/LyricsPairing.h"

namespace stanzary {

QString prefixProblem(const QString &prefix, const CodePage &codePage)
{
    if (prefix.contains(u';'))
        return QStringLiteral("a stamp's line start cannot hold \";\"");
    if (prefix == QStringLiteral("  "))
        return QStringLiteral("it starts with two spaces, which a timestamp file reads as no stamp");
    const QString missing = codePage.firstUnencodable(prefix);
    if (!missing.isEmpty())
        return QStringLiteral("\"%1\" cannot be stored in the timestamp file's code page").arg(missing);
    return QString();
}

bool isFilterMarkLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    return trimmed.startsWith(u'[') && trimmed.endsWith(QStringLiteral("] filter used"));
}

NewStamps stampsForLyrics(const QString &lyricsText, const CodePage &codePage)
{
    NewStamps result;
    const QStringList lines = lyricLines(lyricsText);
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (isBlankLine(line) || isFilterMarkLine(line))
            continue;
        const QString prefix = linePrefix(line);
        const QString problem = prefixProblem(prefix, codePage);
        if (!problem.isEmpty()) {
            result.issues.append({i + 1, line, problem});
            continue;
        }
        result.rows.append(KasRow{StampTime{}, prefix, QByteArray()});
    }
    return result;
}

} // namespace stanzary
