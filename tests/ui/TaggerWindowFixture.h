#pragma once

// The tagger window on a fake installation of its own, for the tagger's
// tests: a test class derives from it and opens a new window for each test.

#include "FakeInstallation.h"
#include "FindControl.h"
#include "app/basMain.h"
#include "platform/TailJournal.h"
#include "store/CollectionScan.h"
#include "ui/UserDialogs.h"
#include "ui/frmTags.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace stanzary::test {

class TaggerWindowFixture
{
protected:
    // The collection as the program reads it at its start, from the lyrics
    // the test has added (all songs in one folder).
    void readCollection()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_install.writeExecutable();
        m_state.strHostPath = m_install.hostPath();
        m_state.strLyricsPath = m_install.lyricsPath();
        m_state.blnSingleDir = true;
        m_state.blnCheckTimestampsAtStart = false;
        BuildTree(m_state);
    }
    // A new window on the collection, shown, with a tagging journal of its own.
    void openWindow()
    {
        m_dialogs.clearRecord();
        m_window = std::make_unique<frmTags>(m_state, m_dialogs);
        m_window->setTailJournal(TailJournal(m_dir.filePath(QStringLiteral("journals"))));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    // Fails when the test's scripted answers did not fit what was asked.
    void closeWindow()
    {
        QVERIFY2(m_dialogs.scriptErrors().isEmpty(), qPrintable(m_dialogs.scriptErrors().join(u'\n')));
        m_window.reset();
    }
    // A control of the window by its name; the test fails when there is none.
    template <typename T>
    T *child(const char *name) const
    {
        return findControl<T>(m_window.get(), name);
    }

    QTemporaryDir m_dir;
    FakeInstallation m_install{m_dir.path()};
    basMain m_state;
    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<frmTags> m_window;
};

} // namespace stanzary::test
