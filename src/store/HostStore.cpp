#include "store/HostStore.h"

#include "app/basMain.h"
#include "platform/CodePage.h"
#include "platform/DirListing.h"
#include "platform/HostRegistry.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <optional>

namespace stanzary {

namespace {

// The lines of a text; a line ends with CR LF, LF or a lone CR.
QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

// The settings file's bytes; empty when the host folder is unknown or the
// file is missing, unreadable, not a regular file or absurdly large (which
// the settings treat as a file with no lines). The name is matched ignoring
// case.
QByteArray readSettingsFile(const QString &hostPath)
{
    if (hostPath.isEmpty())
        return QByteArray();
    const QString name = findFileIgnoringCase(hostPath, hostSettingsFileName());
    if (name.isEmpty())
        return QByteArray();
    return readRegularFile(withTrailingSeparator(hostPath) + name, MaxSettingsFileBytes).bytes;
}

// "[Key]" plus one separator character of any kind, then the value.
constexpr qsizetype CachePathValueAt = 12;
constexpr qsizetype SingleDirValueAt = 12;
constexpr qsizetype FontCharsetValueAt = 14;
constexpr int RecognisedLinesToRead = 3;

// Applies one settings line; false when the line is not one of the three keys.
// A "[CachePath]" value is only kept in cachePath (as read in the default code
// page): the character set it is written in may come on a later line.
bool applySettingsLine(basMain &state, const QString &line, std::optional<QString> &cachePath)
{
    if (line.startsWith(QLatin1StringView("[CachePath]"))) {
        const QString value = line.mid(CachePathValueAt);
        // An empty value would make every lyrics path relative to wherever the
        // program was started; the folder found with the host stays instead.
        if (!value.isEmpty())
            cachePath = value;
        return true;
    }
    if (line.startsWith(QLatin1StringView("[SingleDir]"))) {
        state.blnSingleDir = line.mid(SingleDirValueAt) == QLatin1StringView("1");
        return true;
    }
    if (line.startsWith(QLatin1StringView("[FontCharset]"))) {
        bool ok = false;
        const int value = line.mid(FontCharsetValueAt).trimmed().toInt(&ok);
        if (ok && value >= 0 && value <= 255)
            state.bytFontCharset = value;
        return true;
    }
    return false;
}

} // namespace

QString lyricsFolderOf(const QString &installationDir)
{
    const QString dir = withTrailingSeparator(installationDir);
    const QString name = QStringLiteral("lyrics");
    if (!dir.isEmpty() && !QFileInfo(dir + name).isDir()) {
        const QStringList folders = listSubfolders(dir);
        for (const QString &folder : folders) {
            if (folder.compare(name, Qt::CaseInsensitive) == 0)
                return dir + folder + u'/';
        }
    }
    return dir + name + u'/';
}

void FindHostPath(basMain &state, const QString &programDir)
{
    FindHostPath(state, programDir, *makeSystemRegistry());
}

void FindHostPath(basMain &state, const QString &programDir, const HostRegistry &registry)
{
    const QString program = withTrailingSeparator(programDir);
    state.strHostPath.clear();
    // The host's platform finds the file ignoring case but reports its real
    // name; only the exact name counts.
    if (!program.isEmpty() && findFileIgnoringCase(program, hostExecutableName()) == hostExecutableName())
        state.strHostPath = program;
    else if (const auto data = registry.firstValue(hostRegistryKey()))
        state.strHostPath = withTrailingSeparator(registry.localPath(*data));
    state.strHostRegistryPlace = registry.place();
    state.strLyricsPath = lyricsFolderOf(state.strHostPath.isEmpty() ? program : state.strHostPath);
}

void ReadHostSettings(basMain &state)
{
    ReadHostSettings(state, *makeSystemRegistry());
}

void ReadHostSettings(basMain &state, const HostRegistry &registry)
{
    ApplyHostSettings(state, readSettingsFile(state.strHostPath), registry);
}

void ApplyHostSettings(basMain &state, const QByteArray &settingsFile, const HostRegistry &registry)
{
    // The character set is one of the settings, so the file itself is read
    // in the default code page.
    const CodePage readingPage;
    std::optional<QString> cachePath;
    const QStringList lines = splitLines(readingPage.decode(settingsFile));
    int recognised = 0;
    for (const QString &line : lines) {
        if (applySettingsLine(state, line, cachePath) && ++recognised == RecognisedLinesToRead)
            break;
    }
    state.codePage = CodePage::forFontCharset(state.bytFontCharset);
    if (cachePath) {
        // The folder's name is written in the host's code page. Every byte
        // round-trips through the default one, so these are the file's bytes.
        const QString value = state.codePage.decode(readingPage.encode(*cachePath).value_or(QByteArray()));
        state.strLyricsPath = withTrailingSeparator(isWindowsPath(value) ? registry.localPath(value) : value);
    }
}

QString collectionNotFoundNotice(const basMain &state)
{
    const QString folder = QDir::toNativeSeparators(state.strLyricsPath);
    const QString folderState = QFileInfo(state.strLyricsPath).isDir() ? QStringLiteral("holds no lyrics files")
                                                                       : QStringLiteral("does not exist");
    const QString cachePath = QStringLiteral("If the lyrics are kept elsewhere, a line \"[CachePath]=<folder>\" in "
                                             "Tunewright's settings.txt names their folder, and \"[SingleDir]=1\" "
                                             "there tells that they lie directly in it rather than in one subfolder "
                                             "per first letter.");
    if (state.strHostPath.isEmpty()) {
        return QStringLiteral("Tunewright was not found.\n\nStanzary looked for Tunewright.exe in its own folder (")
               + QDir::toNativeSeparators(state.strProgramPath)
               + QStringLiteral(") and for Tunewright's installation in ") + state.strHostRegistryPlace
               + QStringLiteral(". The lyrics folder it uses instead, ") + folder + QStringLiteral(", ") + folderState
               + QStringLiteral(".\n\nTo use your Tunewright lyrics, run Stanzary from Tunewright's folder (beside "
                                "Tunewright.exe), or start it with WINEPREFIX set to the Wine prefix Tunewright is "
                                "installed in. ")
               + cachePath;
    }
    return QStringLiteral("No lyrics were found.\n\nTunewright is installed in ")
           + QDir::toNativeSeparators(state.strHostPath) + QStringLiteral("; its lyrics folder ") + folder
           + QStringLiteral(" ") + folderState + QStringLiteral(".\n\n") + cachePath;
}

} // namespace stanzary
