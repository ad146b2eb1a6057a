#include "platform/TailJournal.h"
#include "ui/StanzaryApp.h"
#include "ui/TaggerRowModel.h"
#include "ui/UserDialogs.h"
#include "ui/frmTags.h"

#include "FakeInstallation.h"
#include "MainWindowFixture.h"
#include "Mp3Bytes.h"
#include "TestText.h"

#include <QCryptographicHash>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace stanzary;

// The tagger window as part of the program: opened from the main window, and
// the start that undoes a tagging a crash interrupted.

namespace {

using test::s;

const QByteArray Filtered = "words\r\nmore words\r\n[Tunewright] filter used\r\n";

} // namespace

class tst_TaggerInProgram : public QObject
{
    Q_OBJECT

private slots:
    // The main window's Lyrics3 command opens the window, which works on the
    // program's collection; "Display lyrics" shows the song in the main window,
    // and closing the main window closes this one.
    void openedFromTheMainWindow()
    {
        test::StartedApp started([](test::FakeInstallation &i) {
            i.addLyrics(s("B/Blue Lake - Night Train.txt"), Filtered);
            i.addLyrics(s("Q/Quiet Owls - Ember.txt"), Filtered);
            i.writeFile(s("mp3/quiet owls ember.mp3"), test::audioBytes(500));
        });
        QVERIFY(started.started);
        started.clickSong(s("B/Blue Lake - Night Train.txt"));
        QAction *lyrics3 = started.button("Lyrics3");
        QVERIFY(lyrics3->isEnabled());
        lyrics3->trigger();
        frmTags *tags = started.app->taggerWindow();
        QVERIFY(tags && tags->isVisible());
        started.dialogs.queueFolder(started.install.root() + s("mp3"));
        tags->findChild<QPushButton *>(s("cmdBrowseForFolder"))->click();
        auto *rows = tags->findChild<QTreeView *>(s("list"));
        QCOMPARE(rows->model()->rowCount(), 1);
        rows->setCurrentIndex(rows->model()->index(0, TaggerRowModel::Mp3File));
        tags->findChild<QPushButton *>(s("cmdDisplayLyrics"))->click();
        QCOMPARE(started.state().strCurrentArtist, s("Quiet Owls"));
        QCOMPARE(started.state().strCurrentSong, s("Ember"));
        QVERIFY(started.window()->isVisible());
        // Closing the main window closes the tagger and empties its list.
        started.window()->close();
        QVERIFY(!tags->isVisible());
        QCOMPARE(rows->model()->rowCount(), 0);
        QVERIFY(started.dialogs.scriptErrors().isEmpty());
    }

    // A tagging a crash interrupted is undone at the next start, and the
    // user is told which file it was.
    void interruptedTaggingIsUndoneAtStart()
    {
        QTemporaryDir dir;
        const QString mp3 = test::FakeInstallation(dir.path()).writeFile(s("song.mp3"), test::audioBytes(700));
        const QByteArray newTail = "LYRICSBEGININD00003100000020LYRICS200";
        TailJournalRecord saved{QFileInfo(mp3).canonicalFilePath(),
                                700,
                                700,
                                700,
                                QCryptographicHash::hash(test::audioBytes(700), QCryptographicHash::Sha256),
                                {},
                                newTail};
        const TailJournal journal;
        QDir().mkpath(journal.folder());
        QFile file(journal.journalPathFor(mp3));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(encodeTailJournal(saved));
        file.close();
        QFile half(mp3);
        QVERIFY(half.open(QIODevice::Append));
        half.write(newTail.left(18)); // what the crash left behind
        half.close();

        test::StartedApp started([](test::FakeInstallation &) {});
        QVERIFY(started.started);
        QCOMPARE(test::readAll(mp3), test::audioBytes(700));
        const QList<ScriptedUserDialogs::Shown> messages = started.dialogs.messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().icon, MessageIcon::Information);
        QVERIFY(messages.first().text.contains(QFileInfo(mp3).canonicalFilePath()));
        QVERIFY(!QFile::exists(journal.journalPathFor(mp3)));
    }
};

QTEST_MAIN(tst_TaggerInProgram)
#include "tst_taggerinprogram.moc"
