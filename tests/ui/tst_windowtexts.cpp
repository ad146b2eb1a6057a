// Every window of the program, in each of its states, as a screen reader
// and a tool tip give it to the user: a label, button or frame is read by
// what it shows (never by a fixed name that stays while its text changes),
// and a text from a file - a name, a path - reads as written wherever it
// appears, in a label, a button or a tool tip, even when it looks like
// markup or holds an "&".

#include "MainWindowFixture.h"
#include "Mp3Bytes.h"

#include "ui/ShiftDialog.h"
#include "ui/SongbookOptionsDialog.h"
#include "ui/TapCalibration.h"
#include "ui/frmAbout.h"
#include "ui/frmOptions.h"
#include "ui/frmTags.h"
#include "ui/frmlists.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSettings>
#include <QTextDocument>

using namespace stanzary;
using stanzary::test::StartedApp;

namespace {

// Texts of the fixture that a window must show as written, and a word of
// each that tells the text was shown at all.
struct Written
{
    QString text;
    QString word;
};
const QList<Written> kWritten = {
    {QStringLiteral("<b>Lumen</b>"), QStringLiteral("Lumen")}, // in every path: the installation's folder
    {QStringLiteral("<u>Quill"), QStringLiteral("Quill")},     // a song title
    {QStringLiteral("Rock & Roll"), QStringLiteral("Roll")},   // the MP3 folder
};
const QString kRoot = QStringLiteral("<b>Lumen</b>");
const QString kMp3Folder = QStringLiteral("Rock & Roll/");

QString withoutMnemonics(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&') {
            if (i + 1 < text.size() && text.at(i + 1) == u'&')
                out += text.at(++i);
            continue;
        }
        out += text.at(i);
    }
    return out;
}

// What the user sees of text in a place that takes format.
QString rendered(const QString &text, Qt::TextFormat format)
{
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument doc;
    doc.setHtml(text);
    return doc.toPlainText();
}

QString normalized(QString text)
{
    text.replace(u'\u2026', u' ');
    return text.simplified().toCaseFolded();
}

// True when heard holds shown as whole words (a text cut with "…" may end
// inside a word).
bool holdsWords(const QString &heard, const QString &shown)
{
    const bool cut = shown.trimmed().endsWith(u'\u2026');
    const QString h = normalized(heard);
    const QString s = normalized(shown);
    for (qsizetype at = h.indexOf(s); at >= 0; at = h.indexOf(s, at + 1)) {
        const qsizetype end = at + s.size();
        const bool starts = at == 0 || !h.at(at - 1).isLetterOrNumber() || !s.front().isLetterOrNumber();
        const bool ends = cut || end == h.size() || !h.at(end).isLetterOrNumber() || !s.back().isLetterOrNumber();
        if (starts && ends)
            return true;
    }
    return false;
}

// The fixture's text that shown lost on the way, or nothing.
QString lostText(const QString &shown)
{
    for (const Written &w : kWritten) {
        if (shown.contains(w.word) && !shown.contains(w.text))
            return w.text;
    }
    return QString();
}

class Checker
{
public:
    void check(QWidget *window, const QString &state)
    {
        QWidgetList widgets = window->findChildren<QWidget *>();
        widgets.prepend(window);
        for (QWidget *w : std::as_const(widgets)) {
            if (!w->isVisible())
                continue;
            const QString where = state + QStringLiteral(", ") + QLatin1StringView(w->metaObject()->className()) + u' '
                                  + w->objectName() + QStringLiteral(": ");
            checkName(w, where);
            checkShown(w, where);
            if (const QString lost = lostText(rendered(w->toolTip(), Qt::AutoText)); !lost.isEmpty())
                problems << where + QStringLiteral("its tool tip loses ") + lost;
            if (auto *view = qobject_cast<QAbstractItemView *>(w); view && !qobject_cast<QHeaderView *>(w))
                checkItemToolTips(view->model(), QModelIndex(), where);
        }
        checkPlacement(window, state);
    }

    QStringList problems;

private:
    // The text a label, button or frame shows, and whether it is cut.
    static QString shownText(QWidget *w)
    {
        if (auto *label = qobject_cast<QLabel *>(w)) {
            const QString text = rendered(label->text(), label->textFormat());
            return label->buddy() ? withoutMnemonics(text) : text;
        }
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            return withoutMnemonics(button->text());
        if (auto *frame = qobject_cast<QGroupBox *>(w))
            return withoutMnemonics(frame->title());
        return QString();
    }

    // A screen reader reads the name (and the value of a control that has
    // one): it must hold what is shown. A one-character caption ("X") is a
    // symbol whose name says what it does.
    void checkName(QWidget *w, const QString &where)
    {
        const QString shown = shownText(w);
        if (shown.trimmed().size() < 2)
            return;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        if (!a)
            return;
        const QString heard = a->text(QAccessible::Name) + u' ' + a->text(QAccessible::Value);
        if (!holdsWords(heard, shown))
            problems << where + QStringLiteral("shows \"%1\" but is read as \"%2\"").arg(shown, heard.trimmed());
    }

    void checkShown(QWidget *w, const QString &where)
    {
        if (const QString lost = lostText(shownText(w)); !lost.isEmpty())
            problems << where + QStringLiteral("shows its text without ") + lost;
    }

    // What of a control the window shows: its rectangle in the window, cut
    // by every parent's.
    static QRect shownRect(QWidget *w, QWidget *window)
    {
        QRect shown(w->mapTo(window, QPoint(0, 0)), w->size());
        for (QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
            shown &= QRect(p->mapTo(window, QPoint(0, 0)), p->size());
        return shown & window->rect();
    }

    // No control the window shows covers another one: a control left out of
    // its layout, or two put into one cell, lies over its neighbours.
    void checkPlacement(QWidget *window, const QString &state)
    {
        QWidgetList controls;
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (w->isVisible() && !w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_"))
                controls << w;
        }
        for (qsizetype i = 0; i < controls.size(); ++i) {
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                QWidget *a = controls.at(i);
                QWidget *b = controls.at(j);
                if (a->isAncestorOf(b) || b->isAncestorOf(a))
                    continue;
                if (shownRect(a, window).intersects(shownRect(b, window)))
                    problems
                        << state + QStringLiteral(": %1 and %2 cover each other").arg(a->objectName(), b->objectName());
            }
        }
    }

    void checkItemToolTips(const QAbstractItemModel *model, const QModelIndex &parent, const QString &where)
    {
        if (!model)
            return;
        for (int r = 0; r < model->rowCount(parent); ++r) {
            for (int c = 0; c < model->columnCount(parent); ++c) {
                const QModelIndex index = model->index(r, c, parent);
                const QString tip = rendered(index.data(Qt::ToolTipRole).toString(), Qt::AutoText);
                if (const QString lost = lostText(tip); !lost.isEmpty())
                    problems << where
                                    + QStringLiteral("the tool tip of item \"%1\" loses %2")
                                          .arg(index.data().toString(), lost);
            }
            checkItemToolTips(model, model->index(r, 0, parent), where);
        }
    }
};

void collection(test::FakeInstallation &i)
{
    const QByteArray words = "some words\r\nmore words\r\n[Tunewright] filter used\r\n";
    i.addLyrics(QStringLiteral("B/Band - <u>Quill.txt"), words);
    i.addKas(QStringLiteral("B/Band - <u>Quill.txt"), "AAsoAFmo;\r\n");
    i.addLyrics(QStringLiteral("B/Band - Sky Lark.txt"), words);
    i.addLyrics(QStringLiteral("B/Band - Sky.txt"), words);
    i.addLyrics(QStringLiteral("B/Band - Gone.txt"), words);
    i.addLyrics(QStringLiteral("T/Tin Drum - Tagged.txt"), words);
    i.writeFile(kMp3Folder + QStringLiteral("band sky lark.mp3"), test::audioBytes(900) + test::id3v1Record("Lark"));
    i.writeFile(kMp3Folder + QStringLiteral("tin drum tagged.mp3"),
                test::audioBytes(900) + "LYRICSBEGININD00003100LYR00009old words000039LYRICS200"
                    + test::id3v1Record("Tagged"));
}

} // namespace

class tst_WindowTexts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings(QStringLiteral("Zeph"), QStringLiteral("Zeph")).clear(); }

    void everyWindowReadsWhatItShows()
    {
        StartedApp app(collection, {}, {}, kRoot);
        QVERIFY(app.started);
        Checker checker;
        frmMain *main = app.window();
        const auto showState = [&](QWidget *window, const QString &state) {
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QApplication::processEvents();
            checker.check(window, state);
        };

        showState(main, QStringLiteral("main window, nothing chosen"));
        app.clickSong(QStringLiteral("B/Band - <u>Quill.txt"));
        QVERIFY(app.child<QWidget>("frmKaraoke")->isVisible());
        showState(main, QStringLiteral("main window, a song with its karaoke editor"));
        app.click(QStringLiteral("keyband"));
        showState(main, QStringLiteral("main window, an artist"));
        const QString gone = app.install.lyricsPath() + QStringLiteral("B/Band - Gone.txt");
        QVERIFY(QFile::remove(gone) && QDir().mkdir(gone));
        app.clickSong(QStringLiteral("B/Band - Gone.txt"));
        showState(main, QStringLiteral("main window, a song whose file cannot be read"));
        QTest::keyClicks(app.searchBox(), QStringLiteral("sky"));
        showState(main, QStringLiteral("main window, searching"));
        app.button("JoinLyrics")->trigger();
        showState(main, QStringLiteral("main window, joining"));
        app.button("JoinLyrics")->trigger();
        showState(main, QStringLiteral("main window, after joining"));

        app.clickSong(QStringLiteral("B/Band - Sky.txt"));
        app.button("MarkRedownload")->trigger();
        app.button("MR")->trigger();
        showState(app.app->listsWindow(), QStringLiteral("lists window, redownload list"));
        app.button("DI")->trigger();
        showState(app.app->listsWindow(), QStringLiteral("lists window, deleted list"));
        app.button("OptionsMenu")->trigger();
        showState(app.app->optionsWindow(), QStringLiteral("options window"));
        app.button("About")->trigger();
        showState(app.app->aboutWindow(), QStringLiteral("About window"));

        app.searchBox()->clear(); // the tagger matches the songs the tree shows
        app.button("Lyrics3")->trigger();
        frmTags *tagger = app.app->taggerWindow();
        showState(tagger, QStringLiteral("tagger, before a scan"));
        app.dialogs.queueFolder(app.install.root() + kMp3Folder);
        tagger->findChild<QPushButton *>(QStringLiteral("cmdBrowseForFolder"))->click();
        showState(tagger, QStringLiteral("tagger, after a scan"));
        auto *list = tagger->findChild<QAbstractItemView *>(QStringLiteral("list"));
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            list->setCurrentIndex(list->model()->index(row, 1));
            showState(tagger, QStringLiteral("tagger, row %1 chosen").arg(row));
        }
        QCOMPARE(list->model()->rowCount(), 2);
        tagger->findChild<QPushButton *>(QStringLiteral("cmdDisplaySavedLyrics"))->click();
        showState(tagger, QStringLiteral("tagger, saved lyrics"));
        tagger->findChild<QPushButton *>(QStringLiteral("cmdDisplaySavedLyrics"))->click();
        list->model()->setData(list->model()->index(0, 0), Qt::Checked, Qt::CheckStateRole);
        app.dialogs.queueAnswer(Answer::Yes);
        tagger->findChild<QPushButton *>(QStringLiteral("cmdTagThem"))->click();
        showState(tagger, QStringLiteral("tagger, the log"));

        // The karaoke editor's playback bar finds the song's MP3 file in the
        // folder the tagger scanned; its dialogs.
        app.clickSong(QStringLiteral("B/Band - Sky Lark.txt"));
        showState(main, QStringLiteral("main window, a song and its audio file"));
        ShiftDialog shift(0, main);
        shift.show();
        showState(&shift, QStringLiteral("shift dialog"));
        TapCalibration calibration(150, main);
        calibration.show();
        showState(&calibration, QStringLiteral("calibration"));
        SongbookOptionsDialog songbook(SongbookOptions(), true, main);
        songbook.show();
        showState(&songbook, QStringLiteral("songbook options"));

        QVERIFY2(app.dialogs.scriptErrors().isEmpty(), qPrintable(app.dialogs.scriptErrors().join(u'\n')));
        QVERIFY2(checker.problems.isEmpty(), qPrintable(checker.problems.join(u'\n')));
    }
};

QTEST_MAIN(tst_WindowTexts)
#include "tst_windowtexts.moc"
