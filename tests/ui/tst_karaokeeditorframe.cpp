#include "ui/KaraokeEditorFrame.h"

#include "FakeInstallation.h"
#include "ui/UserDialogs.h"
#include "ui/ZephTimePicker.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using namespace stanzary;

namespace {

QString t(const char *text)
{
    return QString::fromUtf8(text);
}

// n records "@@" .. with the texts "a0", "a1", ...: times 00:00.0, 00:00.2, ...
QByteArray records(int n)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += QByteArray(1, '@') + char('@' + i) + 'a' + char('0' + i % 10);
    return out + ";\r\n";
}

enum Action { Add, Del };

} // namespace

class tst_KaraokeEditorFrame : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<QWidget> m_window;
    KaraokeEditorFrame *m_frame = nullptr;

    QString kas(const QByteArray &content, const QString &song = QStringLiteral("Amber - Boats.txt"))
    {
        return test::FakeInstallation(m_tmp.path()).addKas(song, content);
    }
    KasLoadResult load(const QString &path) { return m_frame->LoadKasFile(path, true, CodePage()); }
    QStringList stamps() const
    {
        QStringList out;
        for (int i = 0; i < m_frame->rowCount(); ++i)
            out << m_frame->row(i)->stampText();
        return out;
    }
    QPushButton *button(const char *name) const { return m_frame->findChild<QPushButton *>(QString::fromLatin1(name)); }
    QWidget *viewport() const { return m_frame->findChild<QWidget *>(QStringLiteral("picContainerKasEditModeOne")); }
    QScrollBar *scrollBar() const { return m_frame->findChild<QScrollBar *>(QStringLiteral("VScroll1")); }
    // The window resized so that the viewport is `height` pixels high.
    void setViewportHeight(int height)
    {
        for (int tries = 0; tries < 3 && viewport()->height() != height; ++tries) {
            m_window->resize(m_window->width(), m_window->height() + height - viewport()->height());
            QApplication::processEvents();
        }
        QCOMPARE(viewport()->height(), height);
    }

private slots:
    void init()
    {
        m_dialogs.clearRecord();
        m_window = std::make_unique<QWidget>();
        // At an 11-pixel font the rows keep the design: 15 twips to a pixel.
        QFont designFont = QApplication::font();
        designFont.setPixelSize(11);
        m_window->setFont(designFont);
        auto *layout = new QVBoxLayout(m_window.get());
        m_frame = new KaraokeEditorFrame(m_dialogs, m_window.get());
        layout->addWidget(m_frame);
        m_window->resize(300, 400);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void loadingReplacesTheRows_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("three records, then one")
            << QByteArray("@@We@Aan@Bev;\r\n") << QByteArray("AAOh;\r\n") << QStringList{t("00:13.0 Oh")};
        QTest::newRow("one record, then three") << QByteArray("AAOh;\r\n") << QByteArray("@@We@Aan@Bev;\r\n")
                                                << QStringList{t("00:00.0 We"), t("00:00.2 an"), t("00:00.4 ev")};
        // The earlier song's stamp must not stay in row 0.
        QTest::newRow("then a file without records")
            << QByteArray("DlOh;\r\n") << QByteArray(";only a tail\r\n") << QStringList{t("00:00.0")};
    }
    void loadingReplacesTheRows()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(QStringList, shown);
        QVERIFY(load(kas(first, t("First.txt"))).ok());
        QVERIFY(load(kas(second, t("Second.txt"))).ok());
        QCOMPARE(stamps(), shown);
        QVERIFY(!m_frame->isModified());
        QVERIFY(m_dialogs.shown().isEmpty());
        // Rows 300 twips apart (20 pixels), the box as high as the rows.
        const int pitch = m_frame->row(0)->height() + 2;
        QCOMPARE(pitch, 20);
        for (int i = 0; i < m_frame->rowCount(); ++i)
            QCOMPARE(m_frame->row(i)->geometry().topLeft(), QPoint(0, i * pitch));
        QCOMPARE(m_frame->row(0)->parentWidget()->height(), m_frame->rowCount() * pitch);
    }

    void loadingWithTheOptionOffChangesNothing()
    {
        QVERIFY(load(kas("@@We;\r\n", t("First.txt"))).ok());
        QVERIFY(m_frame->LoadKasFile(kas("AAOh;\r\n", t("Second.txt")), false, CodePage()).skipped);
        QCOMPARE(stamps(), QStringList{t("00:00.0 We")});
        QVERIFY(m_frame->loadedPath().endsWith(t("First.kas")));
    }

    // Add and Del leave the current row where it was, unless Add finds it
    // beyond the last row and takes the last one.
    void addAndDelAtTheCurrentRow_data()
    {
        QTest::addColumn<int>("focused");
        QTest::addColumn<QList<int>>("actions");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("message");
        QTest::newRow("add below row 0") << 0 << QList<int>{Add} << QStringList{t("A "), t(""), t("B "), t("C ")} << 0
                                         << QString();
        QTest::newRow("add below the last row")
            << 2 << QList<int>{Add} << QStringList{t("A "), t("B "), t("C "), t("")} << 2 << QString();
        // Deleting the last row leaves the current row beyond the end.
        QTest::newRow("add beyond the last row")
            << 2 << QList<int>{Del, Add} << QStringList{t("A "), t("B "), t("")} << 1 << QString();
        QTest::newRow("del row 1") << 1 << QList<int>{Del} << QStringList{t("A "), t("C ")} << 1 << QString();
        QTest::newRow("del row 0") << 0 << QList<int>{Del} << QStringList{t("A "), t("B "), t("C ")} << 0
                                   << t("Can't delete first stamp");
    }
    void addAndDelAtTheCurrentRow()
    {
        QFETCH(int, focused);
        QFETCH(QList<int>, actions);
        QFETCH(QStringList, texts);
        QFETCH(int, current);
        QFETCH(QString, message);
        QVERIFY(load(kas("@@A @AB @BC ;\r\n")).ok());
        m_frame->row(focused)->setFocus(Qt::MouseFocusReason);
        QCOMPARE(m_frame->currentRow(), focused);
        for (int action : actions)
            QTest::mouseClick(button(action == Add ? "cmdAdd" : "cmdDel"), Qt::LeftButton);
        QStringList shown;
        for (int i = 0; i < m_frame->rowCount(); ++i)
            shown << m_frame->row(i)->Text();
        QCOMPARE(shown, texts);
        QCOMPARE(m_frame->edition().rowCount(), texts.size());
        QCOMPARE(m_frame->currentRow(), current);
        QCOMPARE(m_frame->isModified(), message.isEmpty());
        if (message.isEmpty()) {
            QVERIFY(m_dialogs.shown().isEmpty());
        } else {
            QCOMPARE(m_dialogs.last().title, t("ZEPH"));
            QCOMPARE(m_dialogs.last().text, message);
            QCOMPARE(m_dialogs.last().icon, MessageIcon::Information);
        }
    }

    // Tab walks the buttons, the export button, and then the rows in row order, a row added in
    // the middle included.
    void tabWalksTheRowsInOrder()
    {
        QVERIFY(load(kas("@@A @AB ;\r\n")).ok());
        m_frame->row(0)->setFocus();
        QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
        button("cmdSave")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdExportLrc"));
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), m_frame->row(i));
            QCOMPARE(m_frame->currentRow(), i);
            QCOMPARE(m_frame->row(i)->accessibleName(), QStringLiteral("Stamp %1").arg(i + 1));
        }
    }

    void saveWritesTheRowsAndTheTail()
    {
        const QString path = kas("@@We@Aan;x;y\r\n");
        QVERIFY(load(path).ok());
        m_frame->row(1)->SelectPart(ZephTimePicker::SecondPart);
        QTest::keyClick(m_frame->row(1), Qt::Key_Up);        // 00:01.2
        QTest::mouseClick(button("cmdAdd"), Qt::LeftButton); // an empty row: not written
        QVERIFY(m_frame->isModified());
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        QCOMPARE(test::readAll(path), QByteArray("@@We@Fan;x;y\r\n"));
        QCOMPARE(m_dialogs.last().text, t("Karaoke timestamps succesfully saved"));
        QCOMPARE(m_dialogs.last().title, t("Stanzary"));
        QVERIFY(!m_frame->isModified());
        QCOMPARE(m_frame->rowCount(), 3);
    }

    // A stamp stored past 13:59.8 shows as 13:59.8; it keeps its stored
    // time while only its text is edited, and takes the shown one once its
    // time is.
    void aTimeBeyondThePickerIsKeptUnlessTheTimeIsEdited_data()
    {
        QTest::addColumn<bool>("editTime");
        QTest::addColumn<QByteArray>("saved");
        // "\x9d" "p" is 20:00.0; "\x81" "f" is 13:59.6.
        QTest::newRow("text edited") << false << QByteArray("\x9dpHi@AOh;\r\n");
        QTest::newRow("time edited") << true
                                     << QByteArray("\x81"
                                                   "fWe@AOh;\r\n");
    }
    void aTimeBeyondThePickerIsKeptUnlessTheTimeIsEdited()
    {
        QFETCH(bool, editTime);
        QFETCH(QByteArray, saved);
        const QString path = kas("\x9dpWe@AOh;\r\n");
        QVERIFY(load(path).ok());
        ZephTimePicker *row = m_frame->row(0);
        QCOMPARE(row->stampText(), t("13:59.8 We"));
        if (editTime) {
            row->SelectPart(ZephTimePicker::FramePart);
            QTest::keyClick(row, Qt::Key_Down);
        } else {
            row->SelectPart(ZephTimePicker::TextPart);
            auto *text = row->findChild<QLineEdit *>(QStringLiteral("txtLyrics"));
            text->selectAll();
            QTest::keyClicks(text, QStringLiteral("Hi"));
        }
        QVERIFY(m_frame->saveRows());
        QCOMPARE(test::readAll(path), saved);
    }

    void failuresAreToldAndTheFileKept_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("reason");
        QTest::newRow("malformed") << QByteArray("@@We@A;\r\n") << false << QString() << t("whole records");
        QTest::newRow("no semicolon") << QByteArray("@@We") << false << QString() << t("\";\"");
        QTest::newRow("read-only") << QByteArray("@@We;\r\n") << true << t("Oh") << t("read-only");
        QTest::newRow("beyond the code page")
            << QByteArray("@@We;\r\n") << false << QStringLiteral("\u0416") << t("\u0416");
    }
    void failuresAreToldAndTheFileKept()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, readOnly);
        QFETCH(QString, typed);
        QFETCH(QString, reason);
        const QString path = kas(file);
        const bool readable = load(path).ok();
        if (readable) {
            if (readOnly)
                test::setReadOnly(path, true);
            m_frame->row(0)->setText(QString());
            m_frame->row(0)->SelectPart(ZephTimePicker::TextPart);
            for (QChar c : typed)
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c), {});
            QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
            test::setReadOnly(path, false);
            QCOMPARE(m_frame->row(0)->Text(), typed); // the user's rows stay
            QVERIFY(m_frame->isModified());
        } else {
            for (const char *name : {"cmdAdd", "cmdDel", "cmdSave"})
                QVERIFY(!button(name)->isEnabled());
            QVERIFY(!m_frame->saveRows());
        }
        QCOMPARE(m_dialogs.messages().size(), readable ? 1 : 2);
        QCOMPARE(m_dialogs.last().icon, MessageIcon::Critical);
        QVERIFY2(m_dialogs.messages().first().text.contains(reason), qPrintable(m_dialogs.messages().first().text));
        QCOMPARE(test::readAll(path), file);
    }

    // 14 rows fit a viewport of 4335 twips (4200 twips of rows), 15 do not:
    // the bar shows with 165 twips to scroll and the frame widens for it.
    void scrollBarOnlyWhenTheRowsOverflow_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("bar");
        QTest::addColumn<int>("maximum");
        QTest::newRow("14 rows") << 14 << false << 0;
        QTest::newRow("15 rows") << 15 << true << 165;
    }
    void scrollBarOnlyWhenTheRowsOverflow()
    {
        QFETCH(int, rows);
        QFETCH(bool, bar);
        QFETCH(int, maximum);
        QVERIFY(load(kas(records(1), t("Short.txt"))).ok());
        const int narrow = m_frame->width();
        QVERIFY(load(kas(records(rows))).ok());
        setViewportHeight(4335 / 15);
        QCOMPARE(scrollBar()->isVisible(), bar);
        QCOMPARE(scrollBar()->maximum(), maximum);
        QCOMPARE(m_frame->width() > narrow, bar);
        if (!bar)
            return;
        // Scrolling to the end shows the last row whole at the bottom.
        scrollBar()->setValue(scrollBar()->maximum());
        const QRect last = m_frame->row(rows - 1)->geometry().translated(m_frame->row(0)->parentWidget()->pos());
        QVERIFY(viewport()->rect().contains(last));
        // Focusing the first row scrolls back to it.
        m_frame->row(0)->setFocus();
        QCOMPARE(scrollBar()->value(), 0);
    }
};

QTEST_MAIN(tst_KaraokeEditorFrame)
#include "tst_karaokeeditorframe.moc"
