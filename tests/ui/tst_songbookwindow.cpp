// The songbook the question after a join offers: saved as a PDF, or
// printed after the preview.

#include "MainWindowFixture.h"
#include "SongbookSupport.h"

#include "app/basMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPrintPreviewWidget>
#include <QScopeGuard>
#include <QSettings>
#include <QSpinBox>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTimer>

using namespace stanzary;
using stanzary::test::StartedApp;

namespace {

const QString kSaved = QStringLiteral("The songbook was saved as:\n");

// Two songs in the Cyrillic code page, one with the source trailer that
// the book leaves out.
void cyrillicSongs(test::FakeInstallation &i)
{
    i.writeSettings("[SingleDir]=0\r\n[FontCharset]=204\r\n");
    QStringEncoder cp1251("windows-1251");
    i.addLyrics(QStringLiteral("B/Band - Alpha.txt"),
                cp1251(QStringLiteral("Белый снег над рекой\r\nТихо светит луна\r\n\r\n----------------\r\n"
                                      "* Downloaded from: http://lyrics.example/alpha\r\n")));
    i.addLyrics(QStringLiteral("B/Band - Beta.txt"), cp1251(QStringLiteral("Ночь и дорога домой\r\n")));
}

// Joins Band's two songs and answers the question with choice.
void joinBand(StartedApp &app, int choice)
{
    app.state().now = [] { return QDateTime(QDate(2004, 9, 7), QTime(14, 5)); };
    app.button("JoinLyrics")->trigger();
    app.tree()->model()->setData(app.indexOf(QStringLiteral("keyband")), Qt::Checked, Qt::CheckStateRole);
    app.dialogs.queueChoice(choice);
    app.button("JoinLyrics")->trigger();
}

// What the first box of kind kept beside its text: a question's buttons, a
// chooser's suggested file.
QString shownOf(const StartedApp &app, ScriptedUserDialogs::Kind kind)
{
    for (const ScriptedUserDialogs::Shown &box : app.dialogs.shown()) {
        if (box.kind == kind)
            return box.defaultText;
    }
    return QStringLiteral("(not shown)");
}

// Calls answer with the modal box named name as soon as it is shown and
// active; a box that answer leaves open (a check failed) is closed.
void whenShown(const QString &name, const std::function<void(QWidget *)> &answer)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, name, answer] {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!box || box->objectName() != name || !box->isActiveWindow())
            return;
        poll->stop();
        poll->deleteLater();
        const auto closeLeftOpen = qScopeGuard([box] {
            if (box->isVisible())
                box->reject();
        });
        answer(box);
    });
    poll->start();
}

// Answers the options box "frmSongbook" as a user does with the keyboard:
// one song per page ticked, the font size typed, Enter or Escape.
void answerOptions(bool accept)
{
    whenShown(QStringLiteral("frmSongbook"), [accept](QWidget *box) {
        auto *perPage = box->findChild<QCheckBox *>(QStringLiteral("chkSongPerPage"));
        QVERIFY(perPage && perPage->hasFocus());
        QTest::keyClick(perPage, Qt::Key_Space);
        auto *size = box->findChild<QSpinBox *>(QStringLiteral("spnFontSize"));
        QVERIFY(size && !size->accessibleName().isEmpty());
        size->selectAll();
        QTest::keyClicks(size, QStringLiteral("14"));
        const QString shots = qEnvironmentVariable("STANZARY_SHOTS");
        if (!shots.isEmpty())
            box->grab().save(shots + QStringLiteral("/songbook-options.png"));
        QTest::keyClick(size, accept ? Qt::Key_Return : Qt::Key_Escape);
    });
}

} // namespace

class tst_SongbookWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph")).clear(); }

    void saveAsPdf_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file there
        QTest::addColumn<bool>("options");      // the options box is answered with Enter, else Escape
        QTest::addColumn<QString>("chosen");    // the file chosen; empty: the chooser cancelled
        QTest::addColumn<int>("replace");       // the answer to the question about an existing file
        QTest::addColumn<bool>("written");
        const int yes = int(Answer::Yes);
        QTest::newRow("a new file") << QByteArray() << true << QStringLiteral("book.pdf") << -1 << true;
        QTest::newRow("no suffix typed") << QByteArray() << true << QStringLiteral("book") << -1 << true;
        QTest::newRow("replaced") << QByteArray("old") << true << QStringLiteral("book.pdf") << yes << true;
        QTest::newRow("kept") << QByteArray("old") << true << QStringLiteral("book.pdf") << int(Answer::No) << false;
        QTest::newRow("options cancelled") << QByteArray() << false << QStringLiteral("book.pdf") << -1 << false;
        QTest::newRow("chooser cancelled") << QByteArray() << true << QString() << -1 << false;
    }
    void saveAsPdf()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, options);
        QFETCH(QString, chosen);
        QFETCH(int, replace);
        QFETCH(bool, written);
        StartedApp app(cyrillicSongs);
        const QString path = app.dir.filePath(QStringLiteral("book.pdf"));
        if (!before.isNull())
            app.install.writeFile(QStringLiteral("book.pdf"), before);
        app.dialogs.queueSaveFile(chosen.isEmpty() ? QString() : app.dir.filePath(chosen));
        if (replace >= 0)
            app.dialogs.queueAnswer(Answer(replace));
        answerOptions(options);
        joinBand(app, 3);

        QCOMPARE(shownOf(app, ScriptedUserDialogs::Kind::Choice),
                 QStringLiteral("&Yes\n&No\n&Print...\n&Save as PDF..."));
        QVERIFY(QFileInfo::exists(app.install.hostPath() + QStringLiteral("2 Lyrics Joined at 09-07-2004 14-5.txt")));
        if (options) // the chooser starts at the joined file's name
            QCOMPARE(shownOf(app, ScriptedUserDialogs::Kind::SaveFile),
                     app.install.hostPath() + QStringLiteral("2 Lyrics Joined at 09-07-2004 14-5.pdf"));
        QCOMPARE(app.dialogs.last().text == kSaved + path, written);
        QCOMPARE(app.dialogs.pendingAnswers(), options ? 0 : 1); // the chooser is not shown after Escape
        if (!written) {
            QCOMPARE(test::readAll(path), before);
            return;
        }
        const QStringList pages = test::pdfPages(path);
        QCOMPARE(pages.size(), 4); // title, contents, one page per song
        QCOMPARE(test::contentsPageOf(pages.at(1), QStringLiteral("Beta")), 4);
        QVERIFY(pages.at(2).contains(QStringLiteral("Тихо светит луна")));
        QVERIFY(pages.at(3).contains(QStringLiteral("Ночь и дорога домой")));
        QVERIFY(!pages.join(QString()).contains(QStringLiteral("Downloaded from")));
    }

    // A PDF that cannot be written is told, with the reason.
    void aFailedPdfIsTold()
    {
        StartedApp app(cyrillicSongs);
        const QString path = app.dir.filePath(QStringLiteral("no such folder/book.pdf"));
        app.dialogs.queueSaveFile(path);
        answerOptions(true);
        joinBand(app, 3);
        QCOMPARE(app.dialogs.last().icon, MessageIcon::Critical);
        QVERIFY(app.dialogs.last().text.startsWith(QStringLiteral("The songbook could not be saved as:\n") + path));
        QVERIFY(!QFileInfo::exists(path));
    }

    // Print... shows the options, then the print preview with the book's
    // pages; STANZARY_SHOTS=<folder> keeps a picture of it.
    void printShowsThePreview()
    {
        StartedApp app(cyrillicSongs);
        answerOptions(true);
        int previewPages = -1;
        whenShown(QStringLiteral("frmSongbookPreview"), [&previewPages](QWidget *box) {
            auto *preview = box->findChild<QPrintPreviewWidget *>();
            QTRY_VERIFY(preview && preview->pageCount() > 0);
            previewPages = preview->pageCount();
            const QString shots = qEnvironmentVariable("STANZARY_SHOTS");
            if (!shots.isEmpty()) {
                box->resize(900, 700);
                preview->fitInView();
                for (int page = 1; page <= previewPages; ++page) {
                    preview->setCurrentPage(page);
                    QTest::qWait(50);
                    box->grab().save(shots + QStringLiteral("/songbook-preview-%1.png").arg(page));
                }
            }
            QTest::keyClick(box, Qt::Key_Escape);
        });
        joinBand(app, 2);
        QCOMPARE(previewPages, 4);
        for (const ScriptedUserDialogs::Shown &box : app.dialogs.messages())
            QVERIFY2(box.icon != MessageIcon::Critical, qPrintable(box.text));
    }
};

QTEST_MAIN(tst_SongbookWindow)
#include "tst_songbookwindow.moc"
