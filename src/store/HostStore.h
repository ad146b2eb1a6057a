#pragma once

#include <QString>

namespace stanzary {

class basMain;
class HostRegistry;

// Tunewright's installation, its settings file and where its lyrics lie.

// The host's executable, its registry key (below HKEY_LOCAL_MACHINE), its
// settings file and the name of its lyrics folder.
inline QString hostExecutableName()
{
    return QStringLiteral("Tunewright.exe");
}
inline QString hostRegistryKey()
{
    return QStringLiteral("Software\\Quarvex\\Tunewright");
}
inline QString hostSettingsFileName()
{
    return QStringLiteral("settings.txt");
}

// Finds the host installation and sets strHostPath and the default
// strLyricsPath (both ending with "/"). programDir: the folder of the running
// program. The host is beside the program when a file named exactly
// "Tunewright.exe" lies there; otherwise its registry entry tells. When
// neither finds it, strHostPath is empty and the lyrics folder is "lyrics"
// beside the program. Nothing is reported.
void FindHostPath(basMain &state, const QString &programDir); // uses the platform registry lookup
void FindHostPath(basMain &state, const QString &programDir, const HostRegistry &registry);

// Reads the three settings the program uses from the host's "settings.txt"
// ("[CachePath]", "[SingleDir]", "[FontCharset]") and sets state.codePage from
// the character set. A missing or unreadable file (a named pipe, a folder,
// more than MaxSettingsFileBytes), or an unknown host folder, leaves the
// state as it is. A Windows "[CachePath]" is turned into a
// path of this system by the registry object.
void ReadHostSettings(basMain &state); // "settings.txt" rules
void ReadHostSettings(basMain &state, const HostRegistry &registry);
// What ReadHostSettings does with the file's bytes (empty: no file).
void ApplyHostSettings(basMain &state, const QByteArray &settingsFile, const HostRegistry &registry);

// The lyrics folder below an installation folder (ending with "/"):
// "lyrics/", or the folder's real name when it differs only in case.
QString lyricsFolderOf(const QString &installationDir);

// What the window tells the user when a scan found no lyrics: where the host
// and its lyrics were looked for, and how to point the program at them
// (beside Tunewright.exe, WINEPREFIX, "[CachePath]").
QString collectionNotFoundNotice(const basMain &state);

} // namespace stanzary
