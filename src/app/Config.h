#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class QSettings;

namespace stanzary {

class basMain;
class HostRegistry;

// The main window's stored position, size and splitter, in twips. Applying
// them to the window (and reading them back at exit) is the window's part.
struct StoredGeometry
{
    double FrmTop = 0, FrmLeft = 0, FrmWidth = 0, FrmHeight = 0, SplitPos = 0;
    bool FrmMaximized = false;

    // The first start's geometry: every value at its key's default.
    static StoredGeometry defaults();

    // Where the splitter starts: SplitPos, or a third of FrmWidth when the
    // stored position is not left of the window's right edge.
    double splitterStart() const { return SplitPos < FrmWidth ? SplitPos : FrmWidth / 3; }
};

// One configuration key: its name in the store, its default, and the value
// it holds - a number of the window's geometry, a flag of the geometry, one
// of the shared option flags, or a shared web address. Exactly one of the
// four targets is set.
struct ConfigKey
{
    const char *name;
    double defaultValue; // flags: 1 for True, 0 for False
    double StoredGeometry::*number = nullptr;
    bool StoredGeometry::*geometryFlag = nullptr;
    bool basMain::*option = nullptr;
    QString basMain::*address = nullptr;
    QString defaultAddress = QString(); // addresses: the default
};

// The fourteen keys, in the order they are read and written: the window's
// geometry, the five options, the tagger's "Also write ID3v2 lyrics"
// ("WriteId3v2Lyrics") and "Also write .lrc files" ("WriteLrcFiles"), both
// off by default, and the maker's web site ("MakerSite"). The
// site is the distributor's (system-wide settings) or the user's to set:
// it is read, never written.
const QList<ConfigKey> &configKeys();

// The program's own settings store: application "Zeph" (native format, so
// ~/.config/Zeph/Zeph.conf on Linux); the keys live in group "Config".
std::unique_ptr<QSettings> openConfigStore();

// Reads the fourteen keys (application "Zeph", section "Config"), copies blnCheckTimestampsAtStart,
// reads the host's settings file and sets state.codePage from bytFontCharset.
// A stored number that does not convert reads as 0; a stored flag that does
// not convert leaves the state's flag as it was, and so does a stored
// address that is no http or https address. Nothing is reported.
StoredGeometry LoadConfig(basMain &state);
// Also the karaoke editor's timing settings beside them: "TapDelay" (ms,
// 0 to 1000), the MP3 folders ("Mp3Folders") and the audio file chosen for
// each song ("SongAudio").
// Writes the thirteen keys the program changes (not "MakerSite").
void SaveConfig(const basMain &state, const StoredGeometry &geometry);

// Only the timing settings, written the moment the user changes them (an MP3
// folder added, a song's audio file chosen): a crash or a kill later in the
// session keeps them. SaveConfig writes them again at the end.
void SaveTimingSettings(const basMain &state);

// The same on a given store and registry (tests, and callers that already
// hold them).
StoredGeometry LoadConfig(basMain &state, QSettings &store, const HostRegistry &registry);
void SaveConfig(const basMain &state, const StoredGeometry &geometry, QSettings &store);

// How values are stored: "True" / "False", and numbers as the shortest
// decimal text of a single-precision value ("1000", "3333.3333").
QString configBoolText(bool value);
QString configNumberText(double value);
// Readers of stored text; nothing when the text does not convert. Booleans
// accept "True" / "False" in any case and numbers (non-zero is True).
std::optional<bool> configBool(const QString &text);
std::optional<float> configNumber(const QString &text);
// A stored web address: an http or https address with a host and no query
// or fragment (paths are appended to it), without "/" at its end.
std::optional<QString> configWebAddress(const QString &text);

} // namespace stanzary
