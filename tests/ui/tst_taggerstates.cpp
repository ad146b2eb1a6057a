// The tagger window at each moment of its work, as the user finds it: which
// controls rest (greyed) and what the status line says before a scan, while
// a scan or a tagging runs, after them and after closing; and the order of
// its list when names differ only in case.

#include "store/CollectionScan.h"
#include "ui/TaggerRowModel.h"
#include "ui/UserDialogs.h"
#include "ui/frmTags.h"

#include "FakeInstallation.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace stanzary;

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

const QByteArray Words = "words\r\n[Tunewright] filter used\r\n";

} // namespace

class tst_TaggerStates : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    test::FakeInstallation m_install{m_dir.path()};
    basMain m_state;
    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<frmTags> m_window;

    template <typename T>
    T *child(const char *name) const
    {
        return m_window->findChild<T *>(QString::fromLatin1(name));
    }
    QTreeView *list() const { return child<QTreeView>("list"); }
    void scan(const QString &folder)
    {
        m_dialogs.queueFolder(folder);
        child<QPushButton>("cmdBrowseForFolder")->click();
    }
    // The controls that rest, and the status line.
    QString shown() const
    {
        const QList<std::pair<const char *, const char *>> controls{
            {"cmdBrowseForFolder", "folder"}, {"fraFrames_1", "select"}, {"fraFrames_2", "check"},
            {"fraFrames", "information"},     {"cmdTagThem", "tag"},     {"chkWriteId3v2Lyrics", "ID3v2"}};
        QStringList greyed;
        for (const auto &[name, what] : controls) {
            if (!child<QWidget>(name)->isEnabled())
                greyed << s(what);
        }
        return s("greyed: ") + (greyed.isEmpty() ? s("none") : greyed.join(s(", "))) + s("; ")
               + child<QLabel>("Label1_1")->text();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_install.writeExecutable();
        for (const char *name : {"Blue Lake - Night Train", "Quiet Owls - Ember", "Marsh Reed - Grey"})
            m_install.addLyrics(s(name) + s(".txt"), Words);
        m_state.strHostPath = m_install.hostPath();
        m_state.strLyricsPath = m_install.lyricsPath();
        m_state.blnSingleDir = true;
        m_state.blnCheckTimestampsAtStart = false;
        BuildTree(m_state);
    }
    void init()
    {
        m_dialogs.clearRecord();
        m_window = std::make_unique<frmTags>(m_state, m_dialogs);
        m_window->setTailJournal(TailJournal(m_dir.filePath(s("journals"))));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        QVERIFY2(m_dialogs.scriptErrors().isEmpty(), qPrintable(m_dialogs.scriptErrors().join(u'\n')));
        m_window.reset();
    }

    void controlsAtEachMoment_data()
    {
        QTest::addColumn<QString>("moment");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *moment, const char *expected) {
            QTest::newRow(moment) << s(moment) << s(expected);
        };
        row("before a scan", "greyed: tag; Matches: ...");
        row("during a scan", "greyed: select, check, information, tag; Matches: 1 / 1");
        row("after a scan", "greyed: none; Matches: 3 / 3 (100%)");
        row("during a tagging", "greyed: folder, select, check, information, tag, ID3v2; Tagging: 1/3");
        row("the log", "greyed: select, check; Matches: 3 / 3 (100%)");
        row("back at the list", "greyed: none; Matches: 3 / 3 (100%)");
        row("closed and shown again", "greyed: tag; Matches: ...");
    }
    void controlsAtEachMoment()
    {
        QFETCH(QString, moment);
        QFETCH(QString, expected);
        QTemporaryDir copy;
        test::FakeInstallation mp3s(copy.path());
        for (const char *name : {"blue lake night train.mp3", "quiet owls ember.mp3", "marsh reed grey.mp3"})
            mp3s.writeFile(s(name), QByteArray(900, '\x5a'));
        // What the window shows at a moment inside the work: a timer runs
        // while the work lets events through.
        QString during;
        const auto readDuring = [&] { QTimer::singleShot(0, m_window.get(), [&] { during = shown(); }); };
        if (moment == u"during a scan")
            readDuring();
        if (moment != u"before a scan")
            scan(mp3s.root());
        if (moment.contains(u"tagging") || moment == u"the log" || moment == u"back at the list") {
            if (moment == u"during a tagging")
                readDuring();
            m_dialogs.queueAnswer(Answer::Yes);
            child<QPushButton>("cmdTagThem")->click();
        }
        if (moment == u"back at the list") {
            m_dialogs.queueAnswer(Answer::No);
            child<QPushButton>("cmdTagThem")->click(); // "Return to list", not refreshed
        }
        if (moment == u"closed and shown again") {
            m_window->close();
            m_window->show();
        }
        QCOMPARE(moment.startsWith(u"during") ? during : shown(), expected);
    }

    // The list orders names ignoring case, and names that differ only in
    // case capitals first, both ways.
    void listOrdersNamesByCase_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("names");
        const QStringList ascending{s("Quiet Owls Ember.mp3"), s("quiet owls ember.mp3"),
                                    s("Rain Quiet Owls Ember.mp3")};
        QStringList descending = ascending;
        std::reverse(descending.begin(), descending.end());
        QTest::newRow("ascending") << int(Qt::AscendingOrder) << ascending;
        QTest::newRow("descending") << int(Qt::DescendingOrder) << descending;
    }
    void listOrdersNamesByCase()
    {
        QFETCH(int, order);
        QFETCH(QStringList, names);
        QTemporaryDir copy;
        test::FakeInstallation mp3s(copy.path());
        for (const QString &name : names)
            mp3s.writeFile(name, QByteArray(900, '\x5a'));
        scan(mp3s.root());
        QHeaderView *header = list()->header();
        const auto clickHeader = [header] {
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(TaggerRowModel::Mp3File) + 20, header->height() / 2));
        };
        clickHeader();
        if (order == Qt::DescendingOrder)
            clickHeader();
        QStringList shownNames;
        for (int r = 0; r < list()->model()->rowCount(); ++r)
            shownNames << list()->model()->index(r, TaggerRowModel::Mp3File).data().toString();
        QCOMPARE(shownNames, names);
        // Checking a row by its box is a change the model reports as made.
        QVERIFY(list()->model()->setData(list()->model()->index(0, TaggerRowModel::FilesToTag), Qt::Checked,
                                         Qt::CheckStateRole));
    }
};

QTEST_MAIN(tst_TaggerStates)
#include "tst_taggerstates.moc"
