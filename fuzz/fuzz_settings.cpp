// Fuzzes the host's settings file ("settings.txt") with arbitrary contents:
// the character set stays a byte and chooses the code page, the lyrics folder
// is a folder path, and reading the same bytes again gives the same state.
// A Windows "[CachePath]" is translated through a Wine prefix of its own
// (an empty temporary folder), so no other folder is looked at.

#include "EmptyWinePrefix.h"
#include "FuzzCheck.h"

#include "app/basMain.h"
#include "platform/HostRegistry.h"
#include "store/HostStore.h"

using namespace stanzary;
using stanzary::fuzz::check;

namespace {

void readSettings(basMain &state, const QByteArray &bytes)
{
    state.strHostPath = QStringLiteral("/host/");
    state.strLyricsPath = QStringLiteral("/host/lyrics/");
    ApplyHostSettings(state, bytes, fuzz::emptyWinePrefix());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    basMain state;
    readSettings(state, bytes);
    check(state.bytFontCharset >= 0 && state.bytFontCharset <= 255);
    check(state.codePage.name() == CodePage::forFontCharset(state.bytFontCharset).name());
    check(state.strLyricsPath.endsWith(u'/'));
    check(state.strHostPath == QStringLiteral("/host/"));
    // Nothing but the three settings is read, and the same bytes read the same.
    basMain again;
    readSettings(again, bytes);
    check(again.strLyricsPath == state.strLyricsPath);
    check(again.blnSingleDir == state.blnSingleDir);
    check(again.bytFontCharset == state.bytFontCharset);
    // A file that names none of the keys changes nothing.
    if (!bytes.contains("[CachePath]") && !bytes.contains("[SingleDir]") && !bytes.contains("[FontCharset]")) {
        check(state.strLyricsPath == QStringLiteral("/host/lyrics/"));
        check(!state.blnSingleDir && state.bytFontCharset == 0);
    }
    return 0;
}
