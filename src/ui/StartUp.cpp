#include "ui/StartUp.h"

#include "app/CommandLine.h"
#include "app/Config.h"
#include "app/Manifest.h"
#include "store/HostStore.h"
#include "ui/UserDialogs.h"
#include "ui/frmMain.h"
#include "ui/frmlists.h"

#include <QDir>
#include <QStandardPaths>

namespace stanzary {

QString instanceLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/stanzary.lock");
}

StanzaryApp::StanzaryApp(UserDialogs &dialogs) : m_dialogs(dialogs) {}

StanzaryApp::~StanzaryApp()
{
    // Windows first: they refer to the state and the lists.
    m_main.reset();
    m_listsWindow.reset();
}

bool StanzaryApp::claimSingleInstance()
{
    m_instanceLock = std::make_unique<QLockFile>(instanceLockPath());
    // No age limit: a long-running instance keeps its lock, while a lock left
    // by a process that no longer runs is taken over.
    m_instanceLock->setStaleLockTime(0);
    return m_instanceLock->tryLock(0);
}

bool StanzaryApp::Main(const StartOptions &options)
{
    // 1. One instance per user.
    if (!claimSingleInstance()) {
        m_dialogs.beep();
        return false;
    }
    // 2. Common controls need no registration here; the manifest step runs.
    // 3. The lists window first shows the redownload list.
    m_state.blnShowRedownloadList = true;
    m_state.strProgramPath = QDir(options.programDir).absolutePath() + u'/';
    // 4. The host and its lyrics folder.
    FindHostPath(m_state, m_state.strProgramPath);
    // 5. Both windows, hidden.
    m_main = std::make_unique<frmMain>(m_state, m_lists, m_dialogs);
    m_listsWindow = std::make_unique<frmlists>(m_state, m_lists);
    m_main->setListsWindow(m_listsWindow.get());
    // 6-7. The configuration with the host's settings (its character set is
    // the code page the lists are read in), then the lists.
    const StoredGeometry geometry = LoadConfig(m_state);
    m_lists.onWriteFailed = [this](const QString &path, const QString &reason) {
        m_dialogs.critical(applicationTitle(),
                           QStringLiteral("The list could not be saved to\n") + path + QStringLiteral("\n\n") + reason);
    };
    m_lists.LoadLists(m_state.strProgramPath, m_state.codePage);
    m_listsWindow->ShowCorrectList();
    m_main->applyConfig(geometry);
    // 8. The collection.
    m_main->BuildTree();
    // 9. The visual-styles manifest, where the platform has them.
    WriteManifest(m_state.strProgramPath, options.programBaseName, options.windowsVersion);
    // 10. "/song Artist - Song" on the command line.
    if (const auto request = ProcessCommandLine(options.arguments.join(u' ')))
        m_main->DisplaySpecificLyrics(request->strArtist, request->strSong);
    // 11. Show the window.
    m_main->show();
    return true;
}

} // namespace stanzary
