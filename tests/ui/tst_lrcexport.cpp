#include "ui/KaraokeEditorFrame.h"

#include "FakeInstallation.h"
#include "ui/UserDialogs.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace stanzary;

namespace {

const QByteArray Lyrics = "Rain on the roof\r\nRain in the yard\r\n\r\nRoads run home\r\n";
// 00:00.0 "Ra", 00:13.0 "Ra", 01:00.0 "Ro".
const QByteArray Stamps = "@@RaAARaDlRo;\r\n";
const QByteArray Lrc = "[00:00.00]Rain on the roof\r\n[00:13.00]Rain in the yard\r\n[01:00.00]Roads run home\r\n";

} // namespace

// The karaoke editor's "Export .lrc": beside the lyrics file or a chosen
// MP3 file, with every outcome told to the user.
class tst_LrcExport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<KaraokeEditorFrame> m_frame;

    QString lyricsFolder() const { return m_tmp.path() + QStringLiteral("/lyrics/"); }
    void trigger(const char *action)
    {
        QAction *a = m_frame->findChild<QAction *>(QString::fromLatin1(action));
        QVERIFY(a);
        a->trigger();
    }

private slots:
    void init()
    {
        QDir(m_tmp.path()).removeRecursively();
        QDir().mkpath(m_tmp.path());
        m_dialogs.clearRecord();
        m_frame = std::make_unique<KaraokeEditorFrame>(m_dialogs);
        test::FakeInstallation fake(m_tmp.path());
        fake.addLyrics(QStringLiteral("Amber - Boats.txt"), Lyrics);
        QVERIFY(m_frame->LoadKasFile(fake.addKas(QStringLiteral("Amber - Boats.txt"), Stamps), true, CodePage()).ok());
        QVERIFY(m_frame->findChild<QToolButton *>(QStringLiteral("cmdExportLrc"))->isEnabled());
    }

    void exports_data()
    {
        QTest::addColumn<QString>("action");    // the menu entry
        QTest::addColumn<QString>("chosen");    // the MP3 file the chooser answers, if asked
        QTest::addColumn<QByteArray>("before"); // an .lrc file already there ("" = none)
        QTest::addColumn<bool>("replace");      // the answer to replacing it
        QTest::addColumn<QString>("target");    // where the .lrc file is expected
        QTest::addColumn<QByteArray>("after");  // its content afterwards ("" = none)
        QTest::addColumn<QString>("told");      // the start of the last message shown ("" = none)

        const QString lrc = QStringLiteral("lyrics/Amber - Boats.lrc");
        const QString mp3Lrc = QStringLiteral("music/01 Boats.lrc");
        const QString mp3 = QStringLiteral("music/01 Boats.mp3");
        const QString done = QStringLiteral("Synchronised lyrics exported to:");
        QTest::newRow("beside the lyrics file")
            << QStringLiteral("actLrcBesideLyrics") << QString() << QByteArray() << false << lrc << Lrc << done;
        QTest::newRow("beside a chosen MP3 file")
            << QStringLiteral("actLrcBesideMp3") << mp3 << QByteArray() << false << mp3Lrc << Lrc << done;
        QTest::newRow("chooser cancelled") << QStringLiteral("actLrcBesideMp3") << QString() << QByteArray() << false
                                           << mp3Lrc << QByteArray() << QString();
        QTest::newRow("existing file kept on No")
            << QStringLiteral("actLrcBesideLyrics") << QString() << QByteArray("old") << false << lrc
            << QByteArray("old") << QString();
        QTest::newRow("existing file replaced on Yes")
            << QStringLiteral("actLrcBesideLyrics") << QString() << QByteArray("old") << true << lrc << Lrc << done;
    }
    void exports()
    {
        QFETCH(QString, action);
        QFETCH(QString, chosen);
        QFETCH(QByteArray, before);
        QFETCH(bool, replace);
        QFETCH(QString, target);
        QFETCH(QByteArray, after);
        QFETCH(QString, told);
        test::FakeInstallation fake(m_tmp.path());
        const QString mp3 = chosen.isEmpty() ? QString() : fake.writeFile(chosen, "audio");
        if (action == u"actLrcBesideMp3")
            m_dialogs.queueFile(mp3);
        if (!before.isEmpty()) {
            fake.writeFile(target, before);
            m_dialogs.queueAnswer(replace ? Answer::Yes : Answer::No);
        }
        trigger(action.toLatin1().constData());

        const QString path = m_tmp.path() + u'/' + target;
        QCOMPARE(QFile::exists(path), !after.isEmpty());
        if (!after.isEmpty())
            QCOMPARE(test::readAll(path), after);
        const QList<ScriptedUserDialogs::Shown> messages = m_dialogs.messages();
        QCOMPARE(messages.isEmpty(), told.isEmpty());
        if (!told.isEmpty())
            QVERIFY2(messages.constLast().text.startsWith(told), qPrintable(messages.constLast().text));
        QVERIFY(m_dialogs.scriptErrors().isEmpty());
        QCOMPARE(m_dialogs.pendingAnswers(), 0);
    }

    // The MP3 chooser opens in the music folder, then where the last MP3
    // file was chosen (a cancelled choice changes nothing).
    void mp3ChooserStartsWhereTheLastMp3Was()
    {
        test::FakeInstallation fake(m_tmp.path());
        const QString mp3 = fake.writeFile(QStringLiteral("songs/Amber - Boats.mp3"), "audio");
        const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
        for (const QString &chosen : {QString(), mp3, QString(), QString()}) {
            m_dialogs.queueFile(chosen);
            trigger("actLrcBesideMp3");
        }
        QStringList startedIn;
        for (const ScriptedUserDialogs::Shown &shown : m_dialogs.shown()) {
            if (shown.kind == ScriptedUserDialogs::Kind::File)
                startedIn << shown.defaultText;
        }
        const QString songs = m_tmp.path() + QStringLiteral("/songs");
        QCOMPARE(startedIn, (QStringList{music, music, songs, songs}));
    }

    // A row added and never given a text is left out, as saving leaves it out.
    void anAddedEmptyRowIsLeftOut()
    {
        QTest::mouseClick(m_frame->findChild<QPushButton *>(QStringLiteral("cmdAdd")), Qt::LeftButton);
        QCOMPARE(m_frame->rowCount(), 4);
        trigger("actLrcBesideLyrics");
        QCOMPARE(test::readAll(m_tmp.path() + QStringLiteral("/lyrics/Amber - Boats.lrc")), Lrc);
        QVERIFY2(m_dialogs.last().text.startsWith(QStringLiteral("Synchronised lyrics exported to:")),
                 qPrintable(m_dialogs.last().text));
    }

    // Nothing is written when a stamp finds no line or the file cannot be
    // written; the user is told which stamp, or why.
    void failuresAreTold_data()
    {
        QTest::addColumn<QString>("lyricsShown");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("told");
        QTest::newRow("a stamp without its line") << QStringLiteral("Rain on the roof\nRoads run home\n") << false
                                                  << QStringLiteral("stamp 2 (00:13.0, \"Ra\")");
        QTest::newRow("read-only .lrc file") << QString() << true << QStringLiteral("is read-only");
    }
    void failuresAreTold()
    {
        QFETCH(QString, lyricsShown);
        QFETCH(bool, readOnly);
        QFETCH(QString, told);
        if (!lyricsShown.isEmpty())
            m_frame->setLyricsTextSource([lyricsShown] { return lyricsShown; });
        const QString target = lyricsFolder() + QStringLiteral("Amber - Boats.lrc");
        if (readOnly) {
            test::FakeInstallation(m_tmp.path()).writeFile(QStringLiteral("lyrics/Amber - Boats.lrc"), "old");
            test::setReadOnly(target, true);
            m_dialogs.queueAnswer(Answer::Yes);
        }
        trigger("actLrcBesideLyrics");
        QCOMPARE(test::readAll(target), readOnly ? QByteArray("old") : QByteArray());
        QCOMPARE(m_dialogs.messages().size(), 1);
        QCOMPARE(m_dialogs.last().icon, MessageIcon::Critical);
        QVERIFY2(m_dialogs.last().text.contains(told), qPrintable(m_dialogs.last().text));
    }

    // The lyrics as the box shows them are what the stamps pair with.
    void pairsWithTheShownLyrics()
    {
        m_frame->setLyricsTextSource([] { return QStringLiteral("Rain A\nRain B\nRoad C\n"); });
        QVERIFY(m_frame->exportLrcBeside(lyricsFolder() + QStringLiteral("Amber - Boats.txt")));
        QCOMPARE(test::readAll(lyricsFolder() + QStringLiteral("Amber - Boats.lrc")),
                 QByteArray("[00:00.00]Rain A\r\n[00:13.00]Rain B\r\n[01:00.00]Road C\r\n"));
    }
};

QTEST_MAIN(tst_LrcExport)
#include "tst_lrcexport.moc"
