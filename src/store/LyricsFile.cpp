#include "store/LyricsFile.h"

#include "platform/RegularFile.h"
#include "platform/SafeWrite.h"

namespace stanzary {

namespace {

constexpr QChar NoBreakSpace(0x00A0);
// The filter mark of saved lyrics is looked for among this many characters
// at the end of the on-disk text.
constexpr qsizetype FilterMarkWindow = 6;

} // namespace

QString websiteOf(const QString &page)
{
    // The first address scheme counts, whichever of the two it is.
    const QLatin1StringView http("http://");
    const QLatin1StringView https("https://");
    const qsizetype plain = page.indexOf(http);
    const qsizetype secure = page.indexOf(https);
    qsizetype from = -1;
    if (plain >= 0 && (secure < 0 || plain < secure))
        from = plain + http.size();
    else if (secure >= 0)
        from = secure + https.size();
    if (from < 0)
        return QString();
    const qsizetype slash = page.indexOf(u'/', from);
    return page.mid(from, slash < 0 ? -1 : slash - from).trimmed();
}

LyricsSource deriveLyricsSource(const QString &text)
{
    LyricsSource source;
    const QLatin1StringView marker("* Downloaded from:");
    const qsizetype at = text.lastIndexOf(marker);
    if (at >= 0) {
        // The address runs to the end of its line. The host ends lines with
        // CR LF; a lone CR or LF (a file edited elsewhere) also ends it, so
        // that the address never swallows the lines after it.
        const qsizetype start = at + marker.size();
        qsizetype end = start;
        while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
            ++end;
        source.strPage = text.mid(start, end - start).trimmed();
        source.strWebsite = websiteOf(source.strPage);
        source.blnHasPageInfo = true;
    }
    source.blnFilterUsed = text.contains(QLatin1StringView("] filter used"));
    return source;
}

std::optional<QByteArray> readLyricsBytes(const QString &path)
{
    FileContent content = readRegularFile(path, MaxTextFileBytes);
    if (!content.ok())
        return std::nullopt;
    return std::move(content.bytes);
}

std::optional<QString> readLyricsText(const QString &path, const CodePage &codePage)
{
    const auto bytes = readLyricsBytes(path);
    if (!bytes)
        return std::nullopt;
    return codePage.decode(*bytes);
}

std::optional<bool> readFilterUsed(const QString &path, const CodePage &codePage)
{
    const std::optional<QString> text = readLyricsText(path, codePage);
    if (!text)
        return std::nullopt;
    return deriveLyricsSource(*text).blnFilterUsed;
}

QString toDiskLineEnds(const QString &boxText)
{
    QString text = boxText;
    text.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
    text.replace(u'\n', QLatin1StringView("\r\n"));
    return text;
}

QString withFilterMark(const QString &boxText)
{
    if (toDiskLineEnds(boxText).right(FilterMarkWindow).contains(NoBreakSpace))
        return boxText;
    return boxText + NoBreakSpace;
}

LyricsWriteResult writeLyricsFile(const QString &path, const QString &boxText, const CodePage &codePage)
{
    if (isReadOnlyFile(path))
        return {LyricsWriteStatus::ReadOnly, QString()};
    QString text = toDiskLineEnds(boxText);
    if (!text.endsWith(QLatin1StringView("\r\n")))
        text += QLatin1StringView("\r\n");
    const auto bytes = codePage.encode(text);
    if (!bytes)
        return {LyricsWriteStatus::Unencodable, codePage.firstUnencodable(text)};
    const WriteResult written = writeFileSafely(path, *bytes);
    switch (written.status) {
    case WriteStatus::Ok: return {LyricsWriteStatus::Ok, QString()};
    case WriteStatus::ReadOnly: return {LyricsWriteStatus::ReadOnly, QString()};
    case WriteStatus::Failed: break;
    }
    return {LyricsWriteStatus::Failed, written.error};
}

} // namespace stanzary
