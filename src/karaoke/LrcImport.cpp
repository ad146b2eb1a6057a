#include "karaoke/LrcImport.h"

#include "karaoke/StampSteps.h"
#include "platform/RegularFile.h"
#include "tagger/LyricsPairing.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace stanzary {

namespace {

struct TimedLine
{
    qint64 ms;
    int line;
    QString text;
};

// A time tag's inside: minutes, seconds and an optional fraction.
std::optional<qint64> tagTime(const QString &tag)
{
    static const QRegularExpression time(QStringLiteral("^(\\d{1,5}):(\\d{1,2})(?:[.:](\\d{1,3}))?$"));
    const QRegularExpressionMatch m = time.match(tag);
    if (!m.hasMatch())
        return std::nullopt;
    const qint64 seconds = m.captured(2).toLongLong();
    if (seconds > 59)
        return std::nullopt;
    QString fraction = m.captured(3);
    const qint64 ms = fraction.isEmpty() ? 0 : fraction.leftJustified(3, u'0').toLongLong();
    return m.captured(1).toLongLong() * 60000 + seconds * 1000 + ms;
}

std::optional<qint64> tagOffset(const QString &tag)
{
    static const QRegularExpression offset(QStringLiteral("^offset:\\s*([+-]?\\d{1,9})\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = offset.match(tag);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toLongLong();
}

// "[ar:Artist]", "[length: 3:20]", "[#comment]" and the like.
bool isInformationTag(const QString &tag)
{
    static const QRegularExpression info(QStringLiteral("^(?:[A-Za-z]+:|#).*$"));
    return info.match(tag).hasMatch();
}

QString withoutWordTags(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("<\\d{1,5}:\\d{1,2}(?:[.:]\\d{1,3})?>"));
    QString out = text;
    out.remove(word);
    return out;
}

QString timeText(qint64 ms)
{
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000, 2, 10, QChar(u'0'))
        .arg(ms / 1000 % 60, 2, 10, QChar(u'0'))
        .arg(ms % 1000 / 10, 2, 10, QChar(u'0'));
}

} // namespace

LrcImport parseLrc(const QByteArray &bytes, const CodePage &codePage)
{
    LrcImport result;
    QByteArray content = bytes;
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);

    QList<TimedLine> timed;
    qint64 offset = 0;
    const QList<QByteArray> lines = content.split('\n');
    for (int n = 1; n <= lines.size(); ++n) {
        QByteArray raw = lines.at(n - 1);
        if (raw.endsWith('\r'))
            raw.chop(1);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8(raw);
        if (utf8.hasError()) {
            result.issues.append({n, QString::fromLatin1(raw), QStringLiteral("it is not UTF-8 text")});
            continue;
        }
        QString rest = decoded.trimmed();
        if (rest.isEmpty())
            continue;

        QList<qint64> times;
        QString problem;
        while (problem.isEmpty() && rest.startsWith(u'[')) {
            const qsizetype close = rest.indexOf(u']');
            if (close < 0) {
                problem = QStringLiteral("a tag has no \"]\"");
                break;
            }
            const QString tag = rest.mid(1, close - 1);
            if (const std::optional<qint64> t = tagTime(tag))
                times.append(*t);
            else if (const std::optional<qint64> o = tagOffset(tag))
                offset = *o;
            else if (!isInformationTag(tag))
                problem = QStringLiteral("\"[%1]\" is not a time tag").arg(tag);
            rest = rest.mid(close + 1);
        }
        const QString text = withoutWordTags(rest).trimmed();
        if (problem.isEmpty() && times.isEmpty() && !text.isEmpty())
            problem = QStringLiteral("it has no time tag");
        if (problem.isEmpty() && !times.isEmpty() && text.isEmpty())
            problem = QStringLiteral("it has a time but no text, and a stamp needs its line's start");
        if (problem.isEmpty() && !times.isEmpty())
            problem = prefixProblem(linePrefix(text), codePage);
        if (!problem.isEmpty()) {
            result.issues.append({n, decoded, problem});
            continue;
        }
        for (qint64 t : times)
            timed.append({t, n, text});
    }

    // The offset, wherever it stands, applies to every time of the file.
    QList<std::pair<qint64, TimedLine>> steps;
    for (const TimedLine &t : timed) {
        const qint64 step = qMax<qint64>(0, nearestStep(t.ms - offset));
        if (step > kLastStampStep) {
            result.issues.append({t.line, t.text,
                                  QStringLiteral("its time %1 is after 13:59.8, which a stamp cannot hold")
                                      .arg(timeText(qMax<qint64>(0, t.ms - offset)))});
            continue;
        }
        steps.append({step, t});
    }
    std::stable_sort(steps.begin(), steps.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[step, t] : steps)
        result.rows.append(KasRow{stampAtStep(int(step)), linePrefix(t.text), QByteArray()});
    std::stable_sort(result.issues.begin(), result.issues.end(),
                     [](const LineIssue &a, const LineIssue &b) { return a.line < b.line; });
    return result;
}

LrcImport readLrcFile(const QString &path, const CodePage &codePage)
{
    const FileContent file = readRegularFile(path, MaxTextFileBytes);
    if (!file.ok()) {
        LrcImport failed;
        failed.readable = false;
        failed.issues.append({0, path, file.error});
        return failed;
    }
    return parseLrc(file.bytes, codePage);
}

} // namespace stanzary
