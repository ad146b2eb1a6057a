#pragma once

#include "app/basMain.h"
#include "lists/SongLists.h"

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>

namespace stanzary {

class frmMain;
class frmlists;
class UserDialogs;

// What the start-up needs to know about the running program.
struct StartOptions
{
    QString programDir;        // the program's own folder
    QString programBaseName;   // its file name without extension
    QStringList arguments;     // the command-line arguments after the program's name
    double windowsVersion = 0; // GetWindowsVersion()
};

// The running program: the shared state, the two lists and the windows, put
// together in the start-up order. Owns all of them.
class StanzaryApp
{
public:
    explicit StanzaryApp(UserDialogs &dialogs);
    ~StanzaryApp();

    // Runs the start-up steps and shows the main window. False, after a
    // beep, when another instance is already running; nothing is shown then.
    bool Main(const StartOptions &options);

    basMain &state() { return m_state; }
    SongLists &lists() { return m_lists; }
    frmMain *mainWindow() const { return m_main.get(); }
    frmlists *listsWindow() const { return m_listsWindow.get(); }

private:
    bool claimSingleInstance();

    UserDialogs &m_dialogs;
    basMain m_state;
    SongLists m_lists;
    std::unique_ptr<QLockFile> m_instanceLock;
    std::unique_ptr<frmlists> m_listsWindow;
    std::unique_ptr<frmMain> m_main;
};

// The folder of the per-user lock that tells whether the program runs.
QString instanceLockPath();

} // namespace stanzary
