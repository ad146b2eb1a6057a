#pragma once

#include "app/AppIdentity.h"
#include "app/basMain.h"
#include "lists/SongLists.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace stanzary {

class frmAbout;
class frmMain;
class frmOptions;
class frmlists;
class frmTags;
class SingleInstance;
class UserDialogs;

// What the start-up needs to know about the running program.
struct StartOptions
{
    QString programDir;        // the program's own folder
    QString programBaseName;   // its file name without extension
    QStringList arguments;     // the command-line arguments after the program's name
    double windowsVersion = 0; // GetWindowsVersion()
    QString lockPath;          // the single-instance lock; empty for the default
};

// setApplicationIdentity() (app/AppIdentity.h) gives the program's name and
// maker as the settings store and the desktop know them. No display name is
// set: the window system would append it to every window's and message box's
// title.

// The running program: the shared state, the two lists and the windows, put
// together in the start-up order. Owns all of them. The main window asks for
// the other windows through its signals; this object answers, so a new
// window is one member and one connection here.
class StanzaryApp : public QObject
{
    Q_OBJECT

public:
    explicit StanzaryApp(UserDialogs &dialogs);
    ~StanzaryApp() override;

    // Runs the start-up steps and shows the main window. False, after a beep
    // and asking the running program to come to the front, when another
    // instance is already running; nothing is shown then.
    bool Main(const StartOptions &options);

    basMain &state() { return m_state; }
    SongLists &lists() { return m_lists; }
    frmMain *mainWindow() const { return m_main.get(); }
    frmlists *listsWindow() const { return m_listsWindow.get(); }
    // The options and About windows once they were first asked for.
    frmOptions *optionsWindow() const { return m_optionsWindow.get(); }
    frmAbout *aboutWindow() const { return m_aboutWindow.get(); }
    frmTags *taggerWindow() const { return m_tagsWindow.get(); }

private:
    bool claimSingleInstance(const QString &lockPath);
    void createWindows();
    void showLists(bool redownload);
    void showOptions();
    void showAbout();
    void showTagger();
    // A tagging the last run did not finish is undone, and the user told.
    void bringMainWindowToFront();
    // The main window closed: lists and configuration are saved, every
    // other window closes.
    void shutDown();

    UserDialogs &m_dialogs;
    basMain m_state;
    SongLists m_lists;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<frmlists> m_listsWindow;
    std::unique_ptr<frmOptions> m_optionsWindow;
    std::unique_ptr<frmAbout> m_aboutWindow;
    std::unique_ptr<frmTags> m_tagsWindow;
    std::unique_ptr<frmMain> m_main;
};

} // namespace stanzary
