#include "ui/StanzaryApp.h"

#include "app/CommandLine.h"
#include "app/Config.h"
#include "app/Manifest.h"
#include "app/SingleInstance.h"
#include "platform/TailJournal.h"
#include "store/HostStore.h"
#include "ui/UserDialogs.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"
#include "ui/frmTags.h"
#include "ui/frmlists.h"

#include <QDir>

namespace stanzary {

StanzaryApp::StanzaryApp(UserDialogs &dialogs) : m_dialogs(dialogs) {}

StanzaryApp::~StanzaryApp()
{
    // Windows first: they refer to the state and the lists.
    m_optionsWindow.reset();
    m_aboutWindow.reset();
    m_tagsWindow.reset();
    m_main.reset();
    m_listsWindow.reset();
}

bool StanzaryApp::claimSingleInstance(const QString &lockPath)
{
    m_instance = std::make_unique<SingleInstance>(lockPath);
    switch (m_instance->claim()) {
    case SingleInstance::Claim::First:
        connect(m_instance.get(), &SingleInstance::showRequested, this, &StanzaryApp::bringMainWindowToFront);
        return true;
    case SingleInstance::Claim::AlreadyRunning: m_instance->askRunningToShow(); return false;
    case SingleInstance::Claim::Unavailable: break;
    }
    m_dialogs.information(applicationTitle(),
                          QStringLiteral("Stanzary could not make its lock file\n") + m_instance->lockPath()
                              + QStringLiteral("\n(") + m_instance->error()
                              + QStringLiteral("), so it cannot tell whether it is already running. It starts "
                                               "anyway; running it twice at once may lose changes to the lists."));
    return true;
}

void StanzaryApp::createWindows()
{
    m_main = std::make_unique<frmMain>(m_state, m_lists, m_dialogs);
    m_listsWindow = std::make_unique<frmlists>(m_state, m_lists);
    frmMain *main = m_main.get();
    frmlists *lists = m_listsWindow.get();
    connect(main, &frmMain::listsRequested, this, &StanzaryApp::showLists);
    connect(main, &frmMain::optionsRequested, this, &StanzaryApp::showOptions);
    connect(main, &frmMain::aboutRequested, this, &StanzaryApp::showAbout);
    connect(main, &frmMain::redownloadEntryChosen, lists, &frmlists::selectRedownloadEntry);
    connect(lists, &frmlists::releaseMarkRedownload, main, &frmMain::releaseMarkRedownload);
    connect(main, &frmMain::closed, this, &StanzaryApp::shutDown);
    connect(main, &frmMain::taggerRequested, this, &StanzaryApp::showTagger);
}

bool StanzaryApp::Main(const StartOptions &options)
{
    // 1. One instance per user.
    if (!claimSingleInstance(options.lockPath)) {
        m_dialogs.beep();
        return false;
    }
    // Writes that the end of the last run interrupted are rolled back before
    // any file is read: the lists and the lyrics among them.
    const QString interrupted = interruptedWritesMessage(TailJournal().recover());
    // 2. Common controls need no registration here; the manifest step runs.
    // 3. The lists window first shows the redownload list.
    m_state.blnShowRedownloadList = true;
    m_state.strProgramPath = QDir(options.programDir).absolutePath() + u'/';
    // 4. The host and its lyrics folder.
    FindHostPath(m_state, m_state.strProgramPath);
    // 5. Both windows, hidden.
    createWindows();
    // 6-7. The configuration with the host's settings (its character set is
    // the code page the lists are read in), then the lists.
    const StoredGeometry geometry = LoadConfig(m_state);
    m_lists.onWriteFailed = [this](const QString &path, const QString &reason) {
        m_dialogs.critical(applicationTitle(),
                           QStringLiteral("The list could not be saved to\n") + path + QStringLiteral("\n\n") + reason);
    };
    m_lists.LoadLists(m_state.strProgramPath, m_state.codePage);
    for (const QString &error : m_lists.readErrors()) {
        m_dialogs.critical(applicationTitle(), QStringLiteral("A list could not be read from ") + m_lists.folder()
                                                   + QStringLiteral(":\n") + error
                                                   + QStringLiteral("\n\nThe list starts empty, and its file is "
                                                                    "left as it is for this run."));
    }
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
    if (!interrupted.isEmpty())
        m_dialogs.information(applicationTitle(), interrupted);
    return true;
}

void StanzaryApp::showLists(bool redownload)
{
    m_state.blnShowRedownloadList = redownload;
    m_listsWindow->ShowCorrectList();
    m_listsWindow->show();
    m_listsWindow->raise();
    m_listsWindow->activateWindow();
}

namespace {

void bringToFront(QWidget &window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

// The options and About windows are made when first asked for and then
// kept, hidden when closed: each exists once, and shows the state anew
// whenever it is shown.
void StanzaryApp::showOptions()
{
    if (!m_optionsWindow) {
        m_optionsWindow = std::make_unique<frmOptions>(m_state, m_dialogs);
        connect(m_optionsWindow.get(), &frmOptions::updateListRequested, m_main.get(), &frmMain::RescanTree);
    }
    m_optionsWindow->FillOptions(); // also when it is open already: a scan may have changed the count
    bringToFront(*m_optionsWindow);
}

void StanzaryApp::showAbout()
{
    if (!m_aboutWindow)
        m_aboutWindow = std::make_unique<frmAbout>(m_state, m_dialogs);
    bringToFront(*m_aboutWindow);
}

void StanzaryApp::showTagger()
{
    // Made when first asked for: it reads the collection as the tree holds it.
    if (!m_tagsWindow) {
        m_tagsWindow = std::make_unique<frmTags>(m_state, m_dialogs);
        connect(m_tagsWindow.get(), &frmTags::displayLyricsRequested, this,
                [this](const QString &artist, const QString &song) {
                    m_main->DisplaySpecificLyrics(artist, song);
                    bringMainWindowToFront();
                });
    }
    bringToFront(*m_tagsWindow);
}

void StanzaryApp::bringMainWindowToFront()
{
    if (!m_main)
        return;
    if (m_main->isMinimized())
        m_main->showNormal();
    m_main->show();
    m_main->raise();
    m_main->activateWindow();
}

void StanzaryApp::shutDown()
{
    m_lists.SaveLists();
    SaveConfig(m_state, m_main->currentGeometry());
    m_listsWindow->close();
    if (m_optionsWindow)
        m_optionsWindow->close();
    if (m_aboutWindow)
        m_aboutWindow->close();
    if (m_tagsWindow)
        m_tagsWindow->close();
}

} // namespace stanzary
