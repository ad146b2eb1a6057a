// Fuzzes the redownload and deleted list files: every entry is one line,
// and a list written back reads back as the same entries, in the default
// code page and in one more chosen by the input's length.

#include "FuzzCheck.h"

#include "lists/SongLists.h"
#include "platform/CodePage.h"

using namespace stanzary;
using stanzary::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    for (const int charset : {0, fuzz::FontCharsets[size % std::size(fuzz::FontCharsets)]}) {
        const CodePage codePage = CodePage::forFontCharset(charset);
        const QStringList entries = parseListText(codePage.decode(bytes));
        check(entries.size() <= bytes.count('\n'));
        for (const QString &entry : entries)
            check(!entry.contains(u'\n'));
        const QString text = listFileText(entries);
        const auto written = codePage.encode(text);
        check(written.has_value());
        check(parseListText(codePage.decode(*written)) == entries);
        // A file with CR LF line ends only, ending with one, is written back
        // byte for byte.
        if (!entries.isEmpty() && bytes.endsWith("\r\n") && bytes.count('\n') == bytes.count("\r\n"))
            check(*written == bytes);
    }
    return 0;
}
