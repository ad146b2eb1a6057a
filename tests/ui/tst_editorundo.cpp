#include "ui/KaraokeEditorFrame.h"

#include "FakeInstallation.h"
#include "ui/EditorUndo.h"
#include "ui/UserDialogs.h"
#include "ui/ZephTimePicker.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using namespace stanzary;

namespace {

QStringList list(std::initializer_list<const char *> texts)
{
    QStringList out;
    for (const char *text : texts)
        out << QString::fromUtf8(text);
    return out;
}

} // namespace

// Every kind of change of the editor's rows is one step on its undo stack:
// Ctrl+Z in the rows brings back the rows as loaded (and the editor counts
// as unchanged), Ctrl+Shift+Z the change again.
class tst_EditorUndo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    ScriptedUserDialogs m_dialogs;
    std::unique_ptr<QWidget> m_window;
    KaraokeEditorFrame *m_frame = nullptr;

    QStringList stamps() const
    {
        QStringList out;
        for (int i = 0; i < m_frame->rowCount(); ++i)
            out << m_frame->row(i)->stampText();
        return out;
    }
    void click(const char *name)
    {
        QTest::mouseClick(m_frame->findChild<QPushButton *>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    void keys(QKeyCombination key) { QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers()); }

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        m_frame = new KaraokeEditorFrame(m_dialogs, m_window.get());
        layout->addWidget(m_frame);
        m_window->resize(400, 500);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void eachChangeIsOneUndoStep_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("changed");
        QTest::newRow("typed time") << QStringLiteral("time") << list({"00:00.0 We", "00:03.8 an", "00:04.2 ev"});
        QTest::newRow("typed text") << QStringLiteral("text") << list({"00:00.0 We", "00:01.0 Oh", "00:04.2 ev"});
        QTest::newRow("Add") << QStringLiteral("add") << list({"00:00.0 We", "00:01.0 an", "00:00.0", "00:04.2 ev"});
        QTest::newRow("Del") << QStringLiteral("del") << list({"00:00.0 We", "00:04.2 ev"});
    }
    void eachChangeIsOneUndoStep()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, changed);
        const QString path =
            test::FakeInstallation(m_tmp.path()).addKas(QStringLiteral("A - B.txt"), "@@We@Ean@Uev;\r\n");
        QVERIFY(m_frame->LoadKasFile(path, true, CodePage()).ok());
        const QStringList loaded = stamps();
        ZephTimePicker *row = m_frame->row(1);
        row->setFocus();
        if (change == u"time") {
            row->SelectPart(ZephTimePicker::SecondPart);
            for (int i = 0; i < 2; ++i)
                keys(Qt::Key_Up); // two steps, one change
            row->SelectPart(ZephTimePicker::FramePart);
            for (int i = 0; i < 4; ++i)
                keys(Qt::Key_Up);
        } else if (change == u"text") {
            row->SelectPart(ZephTimePicker::TextPart);
            static_cast<QLineEdit *>(QApplication::focusWidget())->selectAll();
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Oh"));
        } else {
            click(change == u"add" ? "cmdAdd" : "cmdDel");
            m_frame->row(qMin(1, m_frame->rowCount() - 1))->setFocus();
        }
        QCOMPARE(stamps(), changed);
        QVERIFY(m_frame->isModified());
        keys(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(stamps(), loaded);
        QVERIFY(!m_frame->isModified());
        QCOMPARE(m_frame->currentRow(), 1);
        keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        QCOMPARE(stamps(), changed);
        QVERIFY(m_frame->isModified());
    }

    // A command whose rows were changed behind its back is refused by them
    // and leaves the stack, on redo and on undo alike; the rows stay.
    void aCommandOutOfStepIsDropped()
    {
        clsKaraokeEdition edition;
        edition.startNewFile(
            {KasRow{StampTime{}, QStringLiteral("We"), {}}, KasRow{StampTime{0, 1, 0}, QStringLiteral("an"), {}}});
        QUndoStack stack;
        int shown = 0;
        const auto command = [&](const RowsEdit &edit) {
            return new RowsEditCommand(edition, edit, [&](const RowsEdit &, bool) { ++shown; });
        };
        stack.push(command(typeTextEdit(edition, 1, QStringLiteral("Oh"))));
        QVERIFY(edition.setText(1, QStringLiteral("Ah")));
        stack.undo();
        QCOMPARE(stack.count(), 0);
        const RowsEdit stale = typeTextEdit(edition, 0, QStringLiteral("Hi"));
        QVERIFY(edition.setText(0, QStringLiteral("Ho")));
        stack.push(command(stale));
        QCOMPARE(stack.count(), 0);
        QCOMPARE(shown, 1);
        QCOMPARE(edition.row(0).Text + edition.row(1).Text, QStringLiteral("HoAh"));
    }
};

QTEST_MAIN(tst_EditorUndo)
#include "tst_editorundo.moc"
