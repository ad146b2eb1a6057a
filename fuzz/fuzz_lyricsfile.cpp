// Fuzzes a lyrics file's contents: every byte decodes and encodes back in
// the code page, the source trailer gives an address of one line with its
// site inside it, the filter mark is found exactly where it stands, and the
// text as a text box holds it goes back to disk with CR LF line ends only.

#include "FuzzCheck.h"

#include "platform/MakerSite.h"
#include "store/LyricsFile.h"
#include "tagger/Lyrics3Writer.h"

using namespace stanzary;
using stanzary::fuzz::check;

namespace {

void checkSource(const QString &text)
{
    const LyricsSource source = deriveLyricsSource(text);
    check(source.blnFilterUsed == text.contains(QLatin1StringView("] filter used")));
    check(source.blnHasPageInfo == text.contains(QLatin1StringView("* Downloaded from:")));
    if (!source.blnHasPageInfo) {
        check(source.strPage.isEmpty() && source.strWebsite.isEmpty());
        return;
    }
    check(!source.strPage.contains(u'\r') && !source.strPage.contains(u'\n'));
    check(source.strPage == source.strPage.trimmed());
    check(text.contains(source.strPage));
    check(source.strWebsite == websiteOf(source.strPage));
    check(source.strWebsite.isEmpty() || source.strPage.contains(source.strWebsite));
    check(!source.strWebsite.contains(u'/'));
}

void checkBoxText(const QString &text)
{
    QString box = text;
    box.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
    const QString disk = toDiskLineEnds(box);
    check(disk.count(u'\n') == disk.count(QLatin1StringView("\r\n")));
    // Marking is done once: a marked text has the mark near its end.
    const QString marked = withFilterMark(box);
    check(marked == box || marked == box + QChar(0x00A0));
    check(toDiskLineEnds(marked).right(6).contains(QChar(0x00A0)));
    check(withFilterMark(marked) == marked);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    // The default code page and one more, chosen by the input's length.
    for (const int charset : {0, fuzz::FontCharsets[size % std::size(fuzz::FontCharsets)]}) {
        const CodePage codePage = CodePage::forFontCharset(charset);
        const QString text = codePage.decode(bytes);
        check(text.size() == bytes.size());
        check(codePage.encode(text) == std::optional<QByteArray>(bytes));
        check(codePage.firstUnencodable(text).isEmpty());
        checkSource(text);
        checkBoxText(text);
    }
    // What the tagger makes of the same bytes: the lyrics before any trailer,
    // then the credit line.
    const QByteArray tagText = PrepareTagText(bytes, makerSite());
    check(tagText.endsWith(QByteArray(QByteArray("\r\nLyrics by Tunewright (") + makerSite().toLatin1() + ')')));
    if (!bytes.contains("----------------\r\n* Downloaded from:"))
        check(tagText.startsWith(bytes));
    return 0;
}
