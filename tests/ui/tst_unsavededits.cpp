// What the user typed into the lyrics box is never lost or misplaced: not by
// choosing the shown song again, not by F5, not by typing with no song chosen.

#include "MainWindowFixture.h"

#include "app/basMain.h"

#include <QSettings>

using namespace stanzary;
using stanzary::test::StartedApp;

namespace {

const QString kAlpha = QStringLiteral("B/Band - Alpha.txt");

void twoSongs(test::FakeInstallation &i)
{
    i.addLyrics(kAlpha, "alpha words\r\n");
    i.addLyrics(QStringLiteral("B/Band - Beta.txt"), "beta words\r\n");
}

void typeInto(QPlainTextEdit *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

} // namespace

class tst_UnsavedEdits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph")).clear(); }

    void choosingTheShownSongAgainKeepsTheEdits()
    {
        StartedApp app(twoSongs);
        app.clickSong(kAlpha);
        typeInto(app.lyricsBox(), QStringLiteral("my own words"));
        app.click(kAlpha);
        QCOMPARE(app.lyricsBox()->toPlainText(), QStringLiteral("my own words"));
        QVERIFY(app.dialogs.shown().isEmpty());
        QVERIFY(app.lyricsBox()->document()->isModified());
    }

    // F5 with edits: No throws them away, so the box shows the file again (or
    // nothing, when the file is gone) and a later Ctrl+S cannot write them.
    void discardingOnRefreshShowsTheFileAgain_data()
    {
        QTest::addColumn<bool>("fileGone");
        QTest::newRow("file still there") << false;
        QTest::newRow("file gone") << true;
    }
    void discardingOnRefreshShowsTheFileAgain()
    {
        QFETCH(bool, fileGone);
        StartedApp app(twoSongs);
        const QString path = app.install.lyricsPath() + kAlpha;
        app.clickSong(kAlpha);
        typeInto(app.lyricsBox(), QStringLiteral("thrown away"));
        if (fileGone)
            QFile::remove(path);
        app.dialogs.queueAnswer(Answer::No);
        QTest::keyClick(app.tree(), Qt::Key_F5);
        QCOMPARE(app.dialogs.last().text, QStringLiteral("Save changes to Band - Alpha?"));
        QCOMPARE(app.lyricsBox()->toPlainText(), fileGone ? QString() : QStringLiteral("alpha words\n"));
        QCOMPARE(app.state().strCurrentFile.isEmpty(), fileGone);
        QTest::keySequence(app.window(), QKeySequence::Save);
        if (fileGone)
            QVERIFY(!QFile::exists(path)); // nothing to save to: a beep
        else
            QCOMPARE(test::readAll(path), QByteArray("alpha words\r\n\xa0\r\n"));
    }

    // Without a song the box takes new lyrics (Save As stores them); they
    // stay while an artist is chosen, and go only when the user says so.
    void theBoxTakesNewLyricsWithoutASong()
    {
        StartedApp app(twoSongs);
        QVERIFY(!app.lyricsBox()->isReadOnly());
        app.click(QStringLiteral("keyband"));
        typeInto(app.lyricsBox(), QStringLiteral("new"));
        app.click(QStringLiteral("keyband"));
        QCOMPARE(app.lyricsBox()->toPlainText(), QStringLiteral("new"));
        app.dialogs.queueAnswer(Answer::No);
        app.clickSong(kAlpha);
        QCOMPARE(app.lyricsBox()->toPlainText(), QStringLiteral("alpha words\n"));
        QVERIFY(app.dialogs.scriptErrors().isEmpty());
    }
};

QTEST_MAIN(tst_UnsavedEdits)
#include "tst_unsavededits.moc"
