#include "ui/UserDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace stanzary;
using Kind = ScriptedUserDialogs::Kind;

namespace {

// Runs act on the modal dialog of type T once it is open (the box's own
// event loop is running then), and records what the box looked like.
template <typename T>
void whenOpen(const std::function<void(T *)> &act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

struct BoxSeen
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
};

void answerBox(BoxSeen &seen, QMessageBox::StandardButton press)
{
    whenOpen<QMessageBox>([&seen, press](QMessageBox *box) {
        seen = {box->icon(), box->windowTitle(), box->text(), box->standardButtons()};
        if (press == QMessageBox::Escape)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(press)->click();
    });
}

} // namespace

class tst_UserDialogs : public QObject
{
    Q_OBJECT

private slots:
    void scriptedRecordsEveryBox();
    void scriptedAnswersInOrder();
    void scriptedUnscriptedQuestionsAreCautious();
    void scriptedInputFolderShellAndBeep();

    void realMessageShowsIconTitleText_data();
    void realMessageShowsIconTitleText();
    void realQuestions_data();
    void realQuestions();
    void realChoice_data();
    void realChoice();
    void realInputBox();
    void realFolderChooser();
    void realOpenInShellRefusesEmptyAddress();
    void realOpenInShellTellsTheOpenersFailure();
};

void tst_UserDialogs::scriptedRecordsEveryBox()
{
    ScriptedUserDialogs d;
    d.critical(QStringLiteral("Stanzary"), QStringLiteral("File is read-only"));
    d.information(QString(), QStringLiteral("done")); // no title: the application title
    d.message(MessageIcon::Question, QStringLiteral("ZEPH"), QStringLiteral("q"));
    QCOMPARE(d.shown().size(), 3);
    QCOMPARE(d.shown()[0].icon, MessageIcon::Critical);
    QCOMPARE(d.shown()[0].title, QStringLiteral("Stanzary"));
    QCOMPARE(d.shown()[0].text, QStringLiteral("File is read-only"));
    QCOMPARE(d.shown()[1].title, QStringLiteral("Tunewright Stanzary"));
    QCOMPARE(d.shown()[1].icon, MessageIcon::Information);
    QCOMPARE(d.last().title, QStringLiteral("ZEPH"));
    QCOMPARE(d.messages().size(), 3);
    QVERIFY(d.scriptErrors().isEmpty());
    d.clearRecord();
    QVERIFY(d.shown().isEmpty());
}

void tst_UserDialogs::scriptedAnswersInOrder()
{
    ScriptedUserDialogs d;
    d.queueAnswer(Answer::No);
    d.queueAnswer(Answer::Yes);
    d.queueAnswer(Answer::Cancel);
    QCOMPARE(d.pendingAnswers(), 3);
    QCOMPARE(d.askYesNo(QStringLiteral("Stanzary"), QStringLiteral("overwrite?")), Answer::No);
    QCOMPARE(d.askYesNo({}, QStringLiteral("open?"), MessageIcon::Information), Answer::Yes);
    QCOMPARE(d.askYesNoCancel({}, QStringLiteral("save?")), Answer::Cancel);
    QCOMPARE(d.pendingAnswers(), 0);
    QCOMPARE(d.shown()[0].kind, Kind::YesNo);
    QCOMPARE(d.shown()[0].icon, MessageIcon::Question);
    QCOMPARE(d.shown()[1].icon, MessageIcon::Information);
    QCOMPARE(d.shown()[1].title, applicationTitle());
    QCOMPARE(d.shown()[2].kind, Kind::YesNoCancel);
    QVERIFY(d.messages().isEmpty()); // questions are not notices
    QVERIFY(d.scriptErrors().isEmpty());
}

void tst_UserDialogs::scriptedUnscriptedQuestionsAreCautious()
{
    ScriptedUserDialogs d;
    QCOMPARE(d.askYesNo({}, QStringLiteral("a")), Answer::No);
    QCOMPARE(d.askYesNoCancel({}, QStringLiteral("b")), Answer::Cancel);
    d.queueAnswer(Answer::Cancel); // a Yes/No box has no Cancel
    QCOMPARE(d.askYesNo({}, QStringLiteral("c")), Answer::No);
    QCOMPARE(d.inputText({}, QStringLiteral("d")), std::nullopt);
    QCOMPARE(d.chooseFolder(QStringLiteral("e")), QString());
    QCOMPARE(d.scriptErrors().size(), 5);
    QVERIFY(d.scriptErrors()[2].contains(QStringLiteral("c")));
}

void tst_UserDialogs::scriptedInputFolderShellAndBeep()
{
    ScriptedUserDialogs d;
    d.queueInput(QStringLiteral("Some Band"));
    d.queueInput(std::nullopt);
    d.queueFolder(QStringLiteral("/music"));
    d.queueShellResult(false);
    QCOMPARE(d.inputText(QStringLiteral("New lyrics"), QStringLiteral("ARTIST/BAND name"), QStringLiteral("X")),
             std::optional<QString>(QStringLiteral("Some Band")));
    QCOMPARE(d.inputText(QStringLiteral("New lyrics"), QStringLiteral("SONG name")), std::nullopt);
    QCOMPARE(d.shown()[0].kind, Kind::Input);
    QCOMPARE(d.shown()[0].text, QStringLiteral("ARTIST/BAND name"));
    QCOMPARE(d.shown()[0].defaultText, QStringLiteral("X"));
    QCOMPARE(d.chooseFolder(QStringLiteral("Select folder..."), QStringLiteral("/start")), QStringLiteral("/music"));
    QCOMPARE(d.last().kind, Kind::Folder);
    QCOMPARE(d.last().defaultText, QStringLiteral("/start"));

    const QUrl page(QStringLiteral("http://www.quarvex.example/x"));
    QVERIFY(!d.openInShell(page));
    QVERIFY(d.openInShell(page)); // nothing queued: opened
    QCOMPARE(d.openedInShell(), (QList<QUrl>{page, page}));

    d.beep();
    d.beep();
    QCOMPARE(d.beeps(), 2);
    QVERIFY(d.scriptErrors().isEmpty());
}

void tst_UserDialogs::realMessageShowsIconTitleText_data()
{
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<int>("expected");
    QTest::newRow("critical") << MessageIcon::Critical << int(QMessageBox::Critical);
    QTest::newRow("question") << MessageIcon::Question << int(QMessageBox::Question);
    QTest::newRow("information") << MessageIcon::Information << int(QMessageBox::Information);
}

void tst_UserDialogs::realMessageShowsIconTitleText()
{
    QFETCH(MessageIcon, icon);
    QFETCH(int, expected);
    WidgetUserDialogs d;
    BoxSeen seen;
    answerBox(seen, QMessageBox::Ok);
    d.message(icon, QString(), QStringLiteral("File wasn't found"));
    QCOMPARE(int(seen.icon), expected);
    QCOMPARE(seen.title, QStringLiteral("Tunewright Stanzary"));
    QCOMPARE(seen.text, QStringLiteral("File wasn't found"));
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void tst_UserDialogs::realQuestions_data()
{
    QTest::addColumn<bool>("withCancel");
    QTest::addColumn<int>("press");
    QTest::addColumn<Answer>("expected");
    QTest::newRow("yes") << false << int(QMessageBox::Yes) << Answer::Yes;
    QTest::newRow("no") << false << int(QMessageBox::No) << Answer::No;
    QTest::newRow("escape is No") << false << int(QMessageBox::Escape) << Answer::No;
    QTest::newRow("3: yes") << true << int(QMessageBox::Yes) << Answer::Yes;
    QTest::newRow("3: no") << true << int(QMessageBox::No) << Answer::No;
    QTest::newRow("3: cancel") << true << int(QMessageBox::Cancel) << Answer::Cancel;
    QTest::newRow("3: escape is Cancel") << true << int(QMessageBox::Escape) << Answer::Cancel;
}

void tst_UserDialogs::realQuestions()
{
    QFETCH(bool, withCancel);
    QFETCH(int, press);
    QFETCH(Answer, expected);
    WidgetUserDialogs d;
    BoxSeen seen;
    answerBox(seen, QMessageBox::StandardButton(press));
    const Answer a = withCancel ? d.askYesNoCancel(QStringLiteral("Stanzary"), QStringLiteral("Save?"))
                                : d.askYesNo(QStringLiteral("Stanzary"), QStringLiteral("Save?"));
    QCOMPARE(a, expected);
    QCOMPARE(int(seen.icon), int(QMessageBox::Question));
    QCOMPARE(seen.title, QStringLiteral("Stanzary"));
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    QCOMPARE(seen.buttons, buttons);
}

// A question with buttons of its own: the button pressed, Enter the first,
// Escape the one named for it.
void tst_UserDialogs::realChoice_data()
{
    QTest::addColumn<QString>("press"); // a button's text, or "Escape" or "Return"
    QTest::addColumn<int>("expected");
    QTest::newRow("third") << QStringLiteral("&Print...") << 2;
    QTest::newRow("last") << QStringLiteral("&Save as PDF...") << 3;
    QTest::newRow("Enter is the first") << QStringLiteral("Return") << 0;
    QTest::newRow("Escape is the one named") << QStringLiteral("Escape") << 1;
}

void tst_UserDialogs::realChoice()
{
    QFETCH(QString, press);
    QFETCH(int, expected);
    const QStringList buttons{QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("&Print..."),
                              QStringLiteral("&Save as PDF...")};
    QStringList shown;
    whenOpen<QMessageBox>([&](QMessageBox *box) {
        for (QAbstractButton *button : box->buttons())
            shown << button->text();
        if (press == QLatin1StringView("Escape") || press == QLatin1StringView("Return")) {
            QTest::keyClick(box, press == QLatin1StringView("Escape") ? Qt::Key_Escape : Qt::Key_Return);
            return;
        }
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == press)
                button->click();
        }
    });
    WidgetUserDialogs d;
    QCOMPARE(d.askChoice(QString(), QStringLiteral("File was saved"), buttons, 1), expected);
    shown.sort();
    QStringList sorted = buttons;
    sorted.sort();
    QCOMPARE(shown, sorted);
}

void tst_UserDialogs::realInputBox()
{
    WidgetUserDialogs d;
    QString label;
    whenOpen<QInputDialog>([&label](QInputDialog *box) {
        label = box->labelText();
        QCOMPARE(box->textValue(), QStringLiteral("Old Artist"));
        box->setTextValue(QStringLiteral("New Artist"));
        box->accept();
    });
    QCOMPARE(
        d.inputText(QStringLiteral("New lyrics"), QStringLiteral("ARTIST/BAND name"), QStringLiteral("Old Artist")),
        std::optional<QString>(QStringLiteral("New Artist")));
    QCOMPARE(label, QStringLiteral("ARTIST/BAND name"));

    whenOpen<QInputDialog>([](QInputDialog *box) { box->reject(); });
    QCOMPARE(d.inputText(QStringLiteral("New lyrics"), QStringLiteral("SONG name")), std::nullopt);
}

void tst_UserDialogs::realFolderChooser()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    WidgetUserDialogs d;
    QString title;
    whenOpen<QFileDialog>([&title](QFileDialog *box) {
        title = box->windowTitle();
        // Nothing typed: the folder the box shows (the start folder) is chosen.
        static_cast<QDialog *>(box)->accept(); // QFileDialog hides accept()
    });
    QCOMPARE(QDir(d.chooseFolder(QStringLiteral("Select folder..."), dir.path())).canonicalPath(),
             QDir(dir.path()).canonicalPath());
    QCOMPARE(title, QStringLiteral("Select folder..."));

    whenOpen<QFileDialog>([](QFileDialog *box) { box->reject(); });
    QCOMPARE(d.chooseFolder(QStringLiteral("Select folder...")), QString());
}

void tst_UserDialogs::realOpenInShellRefusesEmptyAddress()
{
    WidgetUserDialogs d;
    QVERIFY(!d.openInShell(QUrl()));
}

// The desktop's opener starts, then cannot open the page (no browser): the
// user is told, with the reason, as when the desktop refuses at once.
void tst_UserDialogs::realOpenInShellTellsTheOpenersFailure()
{
#if !defined(Q_OS_UNIX) || defined(Q_OS_MACOS)
    QSKIP("the desktop's opener is a program of its own on Linux and the other Unix desktops");
#endif
    QTemporaryDir dir;
    const QString opened = dir.filePath(QStringLiteral("opened"));
    QFile opener(dir.filePath(QStringLiteral("xdg-open")));
    QVERIFY(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nprintf '%s' \"$1\" > '" + QFile::encodeName(opened) + "'\nexit 3\n");
    opener.close();
    QVERIFY(opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()) + ':' + path);
    const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });

    WidgetUserDialogs d;
    BoxSeen seen;
    answerBox(seen, QMessageBox::Ok);
    QVERIFY(d.openInShell(QUrl(QStringLiteral("https://www.site.example/a page"))));
    QTRY_VERIFY(!seen.text.isEmpty());
    QCOMPARE(int(seen.icon), int(QMessageBox::Critical));
    QCOMPARE(seen.title, QStringLiteral("Error"));
    QCOMPARE(seen.text, QStringLiteral("Error opening in browser\n\nthe desktop has no program to open it."));
    QFile sent(opened);
    QVERIFY(sent.open(QIODevice::ReadOnly));
    QCOMPARE(sent.readAll(), QByteArray("https://www.site.example/a%20page"));
}

QTEST_MAIN(tst_UserDialogs)
#include "tst_userdialogs.moc"
