#include "app/Config.h"
#include "cli/StanzaryCli.h"
#include "store/CollectionScan.h"
#include "store/HostStore.h"
#include "ui/UserDialogs.h"
#include "ui/frmTags.h"

#include "ChildProcess.h"
#include "CliSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace stanzary;

// The tagger window and stanzary-cli side by side: the same rows give the
// same bytes, and neither writes into a folder while the other tags it.

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

QStringList lines(const QString &text)
{
    return QString(text).replace(s("\r\n"), s("\n")).split(u'\n', Qt::SkipEmptyParts);
}

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

class tst_TagsAndCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<test::CliInstallation> m_install;
    basMain m_state;
    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<frmTags> m_window;
    const QString m_program = QStringLiteral(STANZARY_CLI_PROGRAM);

    // The journal both use: stanzary-cli's, in the test's own data folder.
    static QString journalFolder()
    {
        return qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + s("/.local/share"))
               + s("/Zeph/Stanzary/tag-journal");
    }
    template <typename T>
    T *child(const char *name) const
    {
        return m_window->findChild<T *>(QString::fromLatin1(name));
    }
    void scan(const QString &folder)
    {
        m_dialogs.queueFolder(folder);
        child<QPushButton>("cmdBrowseForFolder")->click();
        QVERIFY(!m_window->isScanning());
    }
    void tagInWindow()
    {
        m_dialogs.queueAnswer(Answer::Yes);
        child<QPushButton>("cmdTagThem")->click();
    }
    QString log() const { return child<QPlainTextEdit>("txtViewLyrics")->toPlainText(); }
    test::CliRun cli(const QStringList &arguments) const
    {
        return test::runCli(m_program, arguments, m_install->environment());
    }

private slots:
    void initTestCase()
    {
        QDir(journalFolder()).removeRecursively(); // what an earlier run left
        m_install = std::make_unique<test::CliInstallation>(m_dir.path());
        // The window's state as the program makes it at start, with the host
        // found through the same Wine prefix.
        qputenv("WINEPREFIX", QFile::encodeName(m_install->winePrefix()));
        FindHostPath(m_state, m_dir.filePath(s("program")));
        LoadConfig(m_state);
        BuildTree(m_state);
        QCOMPARE(m_state.intLyricsCount, 5);
    }
    void init()
    {
        m_dialogs.clearRecord();
        m_window = std::make_unique<frmTags>(m_state, m_dialogs);
        m_window->setTailJournal(TailJournal(journalFolder()));
        m_window->show();
    }
    void cleanup()
    {
        QVERIFY2(m_dialogs.scriptErrors().isEmpty(), qPrintable(m_dialogs.scriptErrors().join(u'\n')));
        m_window.reset();
        m_state.blnWriteId3v2Lyrics = m_state.blnWriteLrcFiles = false;
    }

    // "tag" with the options of the window's check boxes leaves the bytes the
    // window leaves, and prints the window's log.
    void sameBytesAsTheWindow_data()
    {
        QTest::addColumn<bool>("allRows");
        QTest::addColumn<bool>("id3v2");
        QTest::addColumn<bool>("lrc");
        QTest::newRow("checked rows") << false << false << false;
        QTest::newRow("every row, ID3v2 and .lrc") << true << true << true;
        QTest::newRow("checked rows, .lrc") << false << false << true;
    }
    void sameBytesAsTheWindow()
    {
        QFETCH(bool, allRows);
        QFETCH(bool, id3v2);
        QFETCH(bool, lrc);
        const QString tag = QString::fromUtf8(QTest::currentDataTag());
        const QString inWindow = m_install->writeMp3Folder(s("window/") + tag);
        const QString inCli = m_install->writeMp3Folder(s("cli/") + tag);

        child<QCheckBox>("chkWriteId3v2Lyrics")->setChecked(id3v2);
        child<QCheckBox>("chkWriteLrcFiles")->setChecked(lrc);
        QCOMPARE(m_state.blnWriteLrcFiles, lrc);
        scan(inWindow);
        if (allRows) {
            child<QPushButton>("cmdSel_0")->click();
            child<QPushButton>("cmdCheck_0")->click();
        }
        tagInWindow();

        QStringList arguments{s("tag"), inCli};
        if (allRows)
            arguments << s("--all");
        if (id3v2)
            arguments << s("--id3v2");
        if (lrc)
            arguments << s("--lrc");
        const test::CliRun run = cli(arguments);
        QCOMPARE(run.exitCode, int(CliDone));
        QCOMPARE(lines(QString::fromUtf8(run.out)), lines(log().replace(inWindow, inCli)));
        QCOMPARE(test::filesBelow(inCli), test::filesBelow(inWindow));
        QVERIFY(test::filesBelow(inCli) != test::filesBelow(m_install->writeMp3Folder(s("untagged/") + tag)));
    }

    // The window asks to tag while stanzary-cli is writing in the folder: it
    // says so and writes nothing; once that tagging is gone (killed here) the
    // window rolls back what it left and tags.
    void theWindowRefusesWhileTheCliTags()
    {
        const QString f = m_install->writeMp3Folder(s("cli-busy"));
        const QString reference = m_install->writeMp3Folder(s("cli-busy-reference"));
        QCOMPARE(cli({s("tag"), reference}).exitCode, int(CliDone));
        const QMap<QString, QByteArray> before = test::filesBelow(f);
        const QString prefix = m_install->winePrefix();

        const test::ChildEnd end = test::runInChild(
            [&](const test::StopHere &stop) {
                TailWriteHooks hooks;
                hooks.reached = [&](TailStep step) {
                    if (step == TailStep::JournalSaved)
                        stop();
                };
                CliEnvironment environment;
                environment.out = std::fopen("/dev/null", "w");
                environment.err = environment.out;
                environment.journal = TailJournal(journalFolder(), hooks);
                return runStanzaryCli({s("tag"), f}, environment) == CliDone;
            },
            [&] {
                scan(f);
                tagInWindow();
                QCOMPARE(m_dialogs.last().icon, MessageIcon::Critical);
                QCOMPARE(m_dialogs.last().text, s("Nothing was tagged: another program is tagging files in ")
                                                    + canonical(f) + s(". Tag again when it has finished."));
                QCOMPARE(m_window->phase(), frmTags::Phase::List);
                QVERIFY(child<QPushButton>("cmdTagThem")->isEnabled());
                QCOMPARE(test::filesBelow(f), before);
            });
        QVERIFY(end.stopped);

        tagInWindow();
        QCOMPARE(m_window->phase(), frmTags::Phase::Log);
        QCOMPARE(lines(log()), QStringList({s("Restored after an interrupted write: ")
                                                + canonical(f + s("blue lake night train.mp3")),
                                            s("File tagged..: ") + f + s("blue lake night train.mp3"),
                                            s("File tagged..: ") + f + s("sub/Quiet Owls - Ember.mp3")}));
        QCOMPARE(test::filesBelow(f), test::filesBelow(reference));
    }

    // stanzary-cli --wait started while the window tags the folder waits
    // until the window is done, then tags (the same bytes again).
    void theCliWaitsWhileTheWindowTags()
    {
        const QString f = m_install->writeMp3Folder(s("window-busy"));
        const QString reference = m_install->writeMp3Folder(s("window-busy-reference"));
        QCOMPARE(cli({s("tag"), reference}).exitCode, int(CliDone));
        const QMap<QString, QByteArray> before = test::filesBelow(f);

        QProcess waiting;
        bool started = false;
        TailWriteHooks hooks;
        hooks.reached = [&](TailStep step) {
            if (step != TailStep::JournalSaved || started)
                return;
            started = true;
            waiting.setProcessEnvironment(m_install->environment());
            waiting.setReadChannel(QProcess::StandardError);
            waiting.start(m_program, {s("tag"), f, s("--wait")});
            while (!waiting.readAllStandardError().contains("waiting: another program is tagging files in "))
                QVERIFY(waiting.waitForReadyRead(60000));
            QCOMPARE(test::filesBelow(f), before);
        };
        m_window->setTailJournal(TailJournal(journalFolder(), hooks));
        scan(f);
        tagInWindow();
        QVERIFY(started);
        QCOMPARE(lines(log()).size(), 2);
        QVERIFY(waiting.waitForFinished(120000));
        QCOMPARE(waiting.exitCode(), int(CliDone));
        QCOMPARE(lines(QString::fromUtf8(waiting.readAllStandardOutput())), lines(log()));
        QCOMPARE(test::filesBelow(f), test::filesBelow(reference));
    }
};

QTEST_MAIN(tst_TagsAndCli)
#include "tst_tagsandcli.moc"
