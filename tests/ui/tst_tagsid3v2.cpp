#include "store/CollectionScan.h"
#include "tagger/Id3v2Lyrics.h"
#include "tagger/Lyrics3Writer.h"
#include "ui/UserDialogs.h"
#include "ui/frmTags.h"

#include "FakeInstallation.h"
#include "Mp3Bytes.h"
#include "NamedPipe.h"
#include "TaggerWindowFixture.h"
#include "TestText.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace stanzary;

namespace {

using test::s;

const QByteArray Lyrics = "words\r\nmore words\r\n[Tunewright] filter used\r\n";

} // namespace

// The tagger window's "Also write ID3v2 lyrics" and the ID3v2 lyrics shown
// by "Display lyrics saved into this file".
class tst_TagsId3v2 : public QObject, test::TaggerWindowFixture
{
    Q_OBJECT

    QString mp3Folder(const char *name, const QByteArray &content)
    {
        const QString folder = m_install.root() + s(name) + u'/';
        m_install.writeFile(s(name) + s("/blue lake night train.mp3"), content);
        return folder;
    }
    void scanAndShowRow(const QString &folder)
    {
        m_dialogs.queueFolder(folder);
        child<QPushButton>("cmdBrowseForFolder")->click();
        QCOMPARE(child<QTreeView>("list")->model()->rowCount(), 1);
        clickRow();
    }
    void clickRow()
    {
        auto *list = child<QTreeView>("list");
        const QModelIndex index = list->model()->index(0, 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    }

private slots:
    void initTestCase()
    {
        m_install.addLyrics(s("Blue Lake - Night Train.txt"), Lyrics);
        m_install.addKas(s("Blue Lake - Night Train.txt"), "@@woAAmo;\r\n");
        readCollection();
    }
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    // The box shows the setting the window opens with (off at first); on,
    // tagging writes USLT and SYLT after the Lyrics3 tag and says so in the
    // log below the file's line.
    void taggingWritesId3v2Lyrics_data()
    {
        QTest::addColumn<bool>("atOpening");
        QTest::addColumn<bool>("option");
        QTest::newRow("option off") << false << false;
        QTest::newRow("option turned on") << false << true;
        QTest::newRow("option on when the window opens") << true << true;
    }
    void taggingWritesId3v2Lyrics()
    {
        QFETCH(bool, atOpening);
        QFETCH(bool, option);
        m_state.blnWriteId3v2Lyrics = atOpening;
        openWindow(); // again, with the setting to open with
        auto *box = child<QCheckBox>("chkWriteId3v2Lyrics");
        QCOMPARE(box->isChecked(), atOpening);
        box->setChecked(option);
        QCOMPARE(m_state.blnWriteId3v2Lyrics, option);
        const QString folder = mp3Folder(QTest::currentDataTag(), test::mpegFrames(20));
        scanAndShowRow(folder);
        m_dialogs.queueAnswer(Answer::Yes);
        child<QPushButton>("cmdTagThem")->click();

        const QString mp3 = folder + s("blue lake night train.mp3");
        const QString log = child<QPlainTextEdit>("txtViewLyrics")->toPlainText();
        QVERIFY2(log.startsWith(s("File tagged..: ") + mp3), qPrintable(log));
        QCOMPARE(log.contains(s("\n    ID3v2 lyrics written (USLT and SYLT)")), option);
        QCOMPARE(readUnsyncedLyrics(mp3).has_value(), option);
        if (option) {
            const QList<SyncedLine> lines{{0, s("words")}, {13000, s("more words")}};
            QCOMPARE(readSyncedLyrics(mp3), std::optional<QList<SyncedLine>>(lines));
            QVERIFY(test::readAll(mp3).contains("LYRICSBEGIN"));
        }
        m_state.blnWriteId3v2Lyrics = false;
    }

    // A file with ID3v2 lyrics and no Lyrics3 tag offers them too.
    void displaysId3v2Lyrics()
    {
        const QString folder = mp3Folder("uslt", test::mpegFrames(20));
        QVERIFY(writeId3v2Lyrics(folder + s("blue lake night train.mp3"), {s("sung\nwords"), std::nullopt}).ok());
        scanAndShowRow(folder);
        QPushButton *toggle = child<QPushButton>("cmdDisplaySavedLyrics");
        QVERIFY(toggle->isVisible());
        toggle->click();
        QCOMPARE(child<QPlainTextEdit>("txtViewLyrics")->toPlainText(), s("---- ID3v2 lyrics ----\nsung\nwords"));
    }

    // A named pipe put in the place of a listed file that has a Lyrics3 tag:
    // clicking its row and "Display lyrics saved into this file" read
    // nothing from it and wait for nothing.
    void passesOverANamedPipe()
    {
        const QString folder = mp3Folder("piped", test::mpegFrames(20));
        const QString mp3 = folder + s("blue lake night train.mp3");
        QVERIFY(TagMp3File(mp3, m_install.lyricsPath() + s("Blue Lake - Night Train.txt"), s("Blue Lake - Night Train"),
                           CodePage(), s("x.example")));
        scanAndShowRow(folder);
        QVERIFY(QFile::remove(mp3));
        test::makeNamedPipe(mp3);
        QVERIFY2(test::finishesWithoutWaiting(mp3,
                                              [&] {
                                                  clickRow();
                                                  child<QPushButton>("cmdDisplaySavedLyrics")->click();
                                              }),
                 "waited on a named pipe");
        QVERIFY(!child<QPlainTextEdit>("txtViewLyrics")->toPlainText().contains(s("ID3v2 lyrics")));
    }
};

QTEST_MAIN(tst_TagsId3v2)
#include "tst_tagsid3v2.moc"
