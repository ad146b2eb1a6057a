#include "ui/KaraokeEditorFrame.h"

#include "karaoke/StampSteps.h"
#include "store/LyricsFile.h"
#include "ui/EditorUndo.h"
#include "ui/LrcExportCommand.h"
#include "ui/UserDialogs.h"
#include "ui/ZephTimePicker.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace stanzary {

namespace {

// The window design, in twips.
constexpr int kRowStep = 300;
constexpr int kRowHeight = 270;
constexpr int kButtonWidth = 495;
constexpr int kButtonHeight = 330;
constexpr int kScrollGap = 105; // between the rows and the scroll bar
constexpr int kArrowStep = 100;
constexpr int kPageStep = 400;

QString saveFailureText(const KasSaveResult &result)
{
    const QString kept = QStringLiteral("\nThe timestamps were not saved; the file is as it was.");
    switch (result.status) {
    case KasSaveStatus::NotLoaded:
        return QStringLiteral("The timestamp file could not be read whole, so it is not written over.");
    case KasSaveStatus::Unencodable:
        if (result.detail == QStringLiteral(";"))
            return QStringLiteral("A stamp's text cannot hold \";\".") + kept;
        return QStringLiteral("A stamp's text holds \"") + result.detail
               + QStringLiteral("\", which the timestamp file cannot store.") + kept;
    case KasSaveStatus::ReadOnly: return QStringLiteral("The timestamp file is read-only:\n") + result.detail + kept;
    case KasSaveStatus::Failed:
    case KasSaveStatus::Ok: break;
    }
    return QStringLiteral("The karaoke timestamps could not be saved:\n") + result.detail + kept;
}

} // namespace

KaraokeEditorFrame::KaraokeEditorFrame(UserDialogs &dialogs, QWidget *parent)
    : QGroupBox(QStringLiteral("Karaoke Editor"), parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmKaraoke"));
    setAccessibleName(QStringLiteral("Karaoke Editor"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    m_undo = new QUndoStack(this);
    connect(m_undo, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
    buildLayout();
    buildUndoActions();
    syncRowCount();
    showRowsFrom(0);
    ArrangeTabOrder();
    applyButtonSizes();
    placeRows();
    connect(qApp, &QApplication::focusChanged, this, &KaraokeEditorFrame::onFocusChanged);
}

KaraokeEditorFrame::~KaraokeEditorFrame()
{
    // Rows going away move the focus, and the undo stack (a child, deleted
    // after this) tells it is clean: nothing here may answer either.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    disconnect(m_undo, nullptr, this, nullptr);
}

void KaraokeEditorFrame::buildLayout()
{
    m_addButton = new QPushButton(QStringLiteral("Add"), this);
    m_addButton->setObjectName(QStringLiteral("cmdAdd"));
    m_addButton->setToolTip(QStringLiteral("Add an empty stamp below the current one"));
    m_delButton = new QPushButton(QStringLiteral("Del"), this);
    m_delButton->setObjectName(QStringLiteral("cmdDel"));
    m_delButton->setAccessibleDescription(QStringLiteral("Delete the current stamp"));
    m_delButton->setToolTip(QStringLiteral("Delete the current stamp"));
    m_saveButton = new QPushButton(QStringLiteral("Save"), this);
    m_saveButton->setObjectName(QStringLiteral("cmdSave"));
    m_saveButton->setAccessibleName(QStringLiteral("Save stamps"));
    m_saveButton->setToolTip(QStringLiteral("Save the karaoke timestamps"));
    for (QPushButton *b : {m_addButton, m_delButton, m_saveButton})
        b->setAutoDefault(false);
    connect(m_addButton, &QPushButton::clicked, this, &KaraokeEditorFrame::onAdd);
    connect(m_delButton, &QPushButton::clicked, this, &KaraokeEditorFrame::onDel);
    connect(m_saveButton, &QPushButton::clicked, this, &KaraokeEditorFrame::onSave);

    m_exportButton = new QToolButton(this);
    m_exportButton->setObjectName(QStringLiteral("cmdExportLrc"));
    m_exportButton->setText(QStringLiteral("Export .lrc"));
    const QString exportTip = QStringLiteral("Write the stamps with their lyric lines as an .lrc file, "
                                             "which music players show as synchronised lyrics");
    m_exportButton->setAccessibleDescription(exportTip);
    m_exportButton->setToolTip(exportTip);
    m_exportButton->setPopupMode(QToolButton::InstantPopup);
    m_exportButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto *exportMenu = new QMenu(m_exportButton);
    m_exportBesideLyrics = exportMenu->addAction(QStringLiteral("Beside the &lyrics file"));
    m_exportBesideLyrics->setObjectName(QStringLiteral("actLrcBesideLyrics"));
    m_exportBesideMp3 = exportMenu->addAction(QStringLiteral("Beside an &MP3 file..."));
    m_exportBesideMp3->setObjectName(QStringLiteral("actLrcBesideMp3"));
    m_exportButton->setMenu(exportMenu);
    connect(m_exportBesideLyrics, &QAction::triggered, this, [this] { exportLrcBeside(m_lyricsPath); });
    connect(m_exportBesideMp3, &QAction::triggered, this, &KaraokeEditorFrame::onExportBesideMp3);

    m_viewport = new QWidget(this);
    m_viewport->setObjectName(QStringLiteral("picContainerKasEditModeOne"));
    m_viewport->setAccessibleName(QStringLiteral("Stamps"));
    m_viewport->installEventFilter(this);
    m_rowBox = new QWidget(m_viewport);
    m_rowBox->setObjectName(QStringLiteral("picMoveable1"));
    m_scrollBar = new QScrollBar(Qt::Vertical, m_viewport);
    m_scrollBar->setObjectName(QStringLiteral("VScroll1"));
    m_scrollBar->setAccessibleName(QStringLiteral("Scroll stamps"));
    m_scrollBar->setFocusPolicy(Qt::NoFocus);
    m_scrollBar->setSingleStep(kArrowStep);
    m_scrollBar->setPageStep(kPageStep);
    m_scrollBar->setRange(0, 0);
    m_scrollBar->hide();
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &KaraokeEditorFrame::moveRows);

    m_strip = new QHBoxLayout;
    m_strip->setContentsMargins(0, 0, 0, 0);
    m_strip->addWidget(m_addButton);
    m_strip->addWidget(m_delButton);
    m_strip->addWidget(m_saveButton);
    m_strip->addStretch(1);
    auto *buttons = new QVBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addLayout(m_strip);
    buttons->addWidget(m_exportButton, 0, Qt::AlignLeft);

    auto *column = new QVBoxLayout(this);
    column->addLayout(buttons);
    column->addWidget(m_viewport, 1, Qt::AlignLeft);
}

// ---- loading, saving and the buttons ----------------------------------------

KasLoadResult KaraokeEditorFrame::LoadKasFile(const QString &kasPath, bool blnLoadKasEditor, const CodePage &codePage,
                                              const QString &lyricsPath)
{
    KasLoadOptions options;
    options.blnLoadKasEditor = blnLoadKasEditor;
    options.codePage = codePage;
    options.letPendingEventsRun = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    const KasLoadResult result = m_edition.LoadKasFile(kasPath, options);
    if (result.skipped)
        return result;
    m_path = kasPath;
    m_newFile = false;
    m_codePage = codePage;
    m_lyricsPath = lyricsPath.isEmpty() ? pathOnDisk(kasPath.chopped(3) + QStringLiteral("txt")) : lyricsPath;
    m_undo->clear();
    m_currentRow = 0;
    showAllRows();
    m_scrollBar->setValue(0);
    setEditable(result.ok());
    if (!result.ok())
        reportLoadFailure(result);
    return result;
}

void KaraokeEditorFrame::startNewStamps(const QString &kasPath, const CodePage &codePage)
{
    m_edition.startNewFile({}, codePage);
    m_path = kasPath;
    m_newFile = true;
    m_codePage = codePage;
    m_lyricsPath = pathOnDisk(kasPath.chopped(3) + QStringLiteral("txt"));
    m_undo->clear();
    m_currentRow = 0;
    showAllRows();
    m_scrollBar->setValue(0);
    setEditable(true);
}

void KaraokeEditorFrame::reportLoadFailure(const KasLoadResult &result)
{
    const QString name = QFileInfo(m_path).fileName();
    const QString what =
        result.status == KasReadStatus::Unreadable
            ? QStringLiteral("The timestamp file \"%1\" could not be read:\n%2").arg(name, result.detail)
            : QStringLiteral("The timestamp file \"%1\" is damaged:\n%2").arg(name, result.detail);
    m_dialogs.critical(QStringLiteral("Stanzary"),
                       what + QStringLiteral("\nThe editor shows what could be read; the file is left as it is."));
}

bool KaraokeEditorFrame::saveRows()
{
    const KasSaveResult result = m_edition.SaveKasFile(m_path);
    if (!result.ok()) {
        m_dialogs.critical(QStringLiteral("Stanzary"), saveFailureText(result));
        return false;
    }
    m_undo->setClean();
    emit saved();
    if (std::exchange(m_newFile, false))
        emit fileCreated(m_path);
    return true;
}

void KaraokeEditorFrame::onSave()
{
    if (saveRows())
        m_dialogs.information(QStringLiteral("Stanzary"), clsKaraokeEdition::savedText());
}

void KaraokeEditorFrame::setLyricsTextSource(std::function<QString()> lyricsText)
{
    m_lyricsText = std::move(lyricsText);
}

QString KaraokeEditorFrame::lyricsText() const
{
    if (m_lyricsText)
        return m_lyricsText();
    return readLyricsText(m_lyricsPath, m_codePage).value_or(QString());
}

bool KaraokeEditorFrame::exportLrcBeside(const QString &besidePath)
{
    return stanzary::exportLrcBeside(m_dialogs, m_edition, m_codePage, lyricsText(), besidePath);
}

void KaraokeEditorFrame::onExportBesideMp3()
{
    if (m_mp3Folder.isEmpty())
        m_mp3Folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    const QString mp3 = m_dialogs.chooseFile(chooseMp3Title(), m_mp3Folder, mp3FileFilter());
    if (mp3.isEmpty())
        return;
    m_mp3Folder = QFileInfo(mp3).absolutePath();
    exportLrcBeside(mp3);
}

void KaraokeEditorFrame::onAdd()
{
    if (pushEdit(addEdit(m_edition, m_currentRow)))
        ensureRowVisible(qMin(m_currentRow + 1, rowCount() - 1));
}

void KaraokeEditorFrame::onDel()
{
    if (!pushEdit(delEdit(m_edition, m_currentRow)))
        m_dialogs.information(QStringLiteral("ZEPH"), clsKaraokeEdition::cantDeleteFirstStampText());
}

// ---- undo -------------------------------------------------------------------

void KaraokeEditorFrame::buildUndoActions()
{
    // Only while the keyboard is in the editor: the lyrics box keeps its own
    // Ctrl+Z for its text.
    m_undoAction = m_undo->createUndoAction(this);
    m_undoAction->setObjectName(QStringLiteral("actUndoStamps"));
    m_undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redoAction = m_undo->createRedoAction(this);
    m_redoAction->setObjectName(QStringLiteral("actRedoStamps"));
    m_redoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    for (QAction *action : {m_undoAction, m_redoAction}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
    }
}

bool KaraokeEditorFrame::pushEdit(const RowsEdit &edit)
{
    if (edit.isEmpty() || !m_editable)
        return false;
    m_undo->push(
        new RowsEditCommand(m_edition, edit, [this](const RowsEdit &e, bool applied) { showEdit(e, applied); }));
    return true;
}

void KaraokeEditorFrame::undo()
{
    m_undo->undo();
}

void KaraokeEditorFrame::redo()
{
    m_undo->redo();
}

bool KaraokeEditorFrame::isModified() const
{
    return !m_undo->isClean();
}

// The rows after an edit was applied or taken back: the changed rows and
// those below them shown anew, the current row where the edit put it (the
// keyboard follows when it was in the rows).
void KaraokeEditorFrame::showEdit(const RowsEdit &edit, bool applied)
{
    const bool rowHadFocus = rowOf(QApplication::focusWidget()) >= 0;
    const int countBefore = rowCount();
    syncRowCount();
    showRowsFrom(edit.at);
    if (countBefore != rowCount()) {
        ArrangeTabOrder();
        placeRows();
        runEditorLayout();
    }
    const int current = qBound(0, applied ? edit.currentAfter : edit.currentBefore, rowCount() - 1);
    setCurrentRow(current);
    if (rowHadFocus && rowOf(QApplication::focusWidget()) != current)
        m_rows.at(current)->setFocus(Qt::OtherFocusReason);
    emit rowsChanged();
}

void KaraokeEditorFrame::setFollowedRow(int i)
{
    if (i >= rowCount())
        i = -1;
    if (m_followedRow >= 0 && m_followedRow < rowCount())
        m_rows.at(m_followedRow)->setFollowed(false);
    m_followedRow = i;
    if (i < 0)
        return;
    m_rows.at(i)->setFollowed(true);
    ensureRowVisible(i);
}

void KaraokeEditorFrame::setCurrentRow(int i)
{
    if (i < 0 || i >= rowCount())
        return;
    m_currentRow = i;
    ensureRowVisible(i);
    emit currentRowChanged(i);
}

void KaraokeEditorFrame::ArrangeTabOrder()
{
    QWidget::setTabOrder(m_saveButton, m_exportButton);
    QWidget *previous = m_exportButton;
    for (int i = 0; i < rowCount(); ++i) {
        m_rows.at(i)->setAccessibleName(QStringLiteral("Stamp %1").arg(i + 1));
        QWidget::setTabOrder(previous, m_rows.at(i));
        previous = m_rows.at(i);
    }
}

// ---- rows -------------------------------------------------------------------

void KaraokeEditorFrame::syncRowCount()
{
    while (rowCount() < m_edition.rowCount()) {
        auto *picker = new ZephTimePicker(m_rowBox);
        picker->setObjectName(QStringLiteral("ZephTimePicker1"));
        picker->setEnabled(m_editable);
        // A change of the time, or of the text, changes that alone: a time
        // beyond the picker stays as stored while only the text is edited.
        for (auto signal :
             {&ZephTimePicker::MinuteChanged, &ZephTimePicker::SecondChanged, &ZephTimePicker::FrameChanged})
            connect(picker, signal, this, [this, picker] { rowEdited(picker, true); });
        connect(picker, &ZephTimePicker::TextChanged, this, [this, picker] { rowEdited(picker, false); });
        if (auto *field = picker->findChild<QLineEdit *>())
            field->installEventFilter(this);
        m_rows.append(picker);
        picker->show();
    }
    while (rowCount() > m_edition.rowCount())
        delete m_rows.takeLast();
    if (m_followedRow >= rowCount())
        m_followedRow = -1;
}

void KaraokeEditorFrame::showRowsFrom(int first)
{
    for (int i = qMax(0, first); i < rowCount(); ++i) {
        const KasRow &r = m_edition.row(i);
        ZephTimePicker *picker = m_rows.at(i);
        // Times beyond the picker (a stamp past 13:59.8) show as its largest
        // and are written back unchanged unless the row's time is edited.
        const QSignalBlocker quiet(picker);
        picker->setTime(stepStamp(r.time, StampPart::Frame, 0).time);
        picker->setText(r.Text);
        showStoredTime(i);
    }
}

// A time beyond the picker is told in the row's tool tip while it is kept.
void KaraokeEditorFrame::showStoredTime(int i)
{
    const StampTime &time = m_edition.row(i).time;
    m_rows.at(i)->setToolTip(
        isPickerTime(time)
            ? QString()
            : QStringLiteral("Stored as %1, beyond what the editor shows; kept unless changed").arg(stampText(time)));
}

void KaraokeEditorFrame::rowEdited(ZephTimePicker *picker, bool timeChanged)
{
    const int i = int(m_rows.indexOf(picker));
    if (i < 0)
        return;
    m_currentRow = i;
    const RowsEdit edit =
        timeChanged ? typeTimeEdit(m_edition, i, picker->time()) : typeTextEdit(m_edition, i, picker->Text());
    if (!pushEdit(edit))
        showRowsFrom(i); // refused: the row shows what it holds
}

void KaraokeEditorFrame::showAllRows()
{
    syncRowCount();
    showRowsFrom(0);
    ArrangeTabOrder();
    placeRows();
    runEditorLayout();
    emit rowsChanged();
}

void KaraokeEditorFrame::setEditable(bool editable)
{
    m_editable = editable;
    for (QWidget *w : {static_cast<QWidget *>(m_addButton), static_cast<QWidget *>(m_delButton),
                       static_cast<QWidget *>(m_saveButton), static_cast<QWidget *>(m_exportButton), m_rowBox})
        w->setEnabled(editable);
}

// ---- layout -----------------------------------------------------------------

double KaraokeEditorFrame::pixelsPerTwip() const
{
    return double(rowPitch()) / kRowStep;
}

int KaraokeEditorFrame::px(double twips) const
{
    return qRound(twips * pixelsPerTwip());
}

int KaraokeEditorFrame::rowPitch() const
{
    const int height = m_rows.constFirst()->sizeHint().height();
    return height + qMax(2, qRound(double(height) * (kRowStep - kRowHeight) / kRowHeight));
}

// The rows as wide as the buttons above them, or wider when they need it.
int KaraokeEditorFrame::rowWidth() const
{
    const int buttons = m_addButton->width() + m_delButton->width() + m_saveButton->width() + 2 * m_strip->spacing();
    return qMax(m_rows.constFirst()->sizeHint().width(), buttons);
}

void KaraokeEditorFrame::applyButtonSizes()
{
    // The design's buttons, or wider when their caption needs it.
    for (QPushButton *b : {m_addButton, m_delButton, m_saveButton}) {
        const int caption = b->fontMetrics().horizontalAdvance(b->text())
                            + 2 * style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
        b->setFixedSize(qMax(px(kButtonWidth), caption), qMax(px(kButtonHeight), b->sizeHint().height()));
    }
    auto *column = static_cast<QVBoxLayout *>(layout());
    column->setContentsMargins(px(120), px(60), px(110), px(100));
    column->setSpacing(px(150));
    m_strip->setSpacing(qMax(1, px(15)));
    column->itemAt(0)->layout()->setSpacing(qMax(1, px(45)));
    // The export button spans the three above it.
    const int stripWidth = m_addButton->width() + m_delButton->width() + m_saveButton->width() + 2 * m_strip->spacing();
    m_exportButton->setFixedSize(qMax(stripWidth, m_exportButton->sizeHint().width()), m_saveButton->height());
    m_viewport->setMinimumHeight(rowPitch());
}

void KaraokeEditorFrame::placeRows()
{
    const int pitch = rowPitch();
    const int width = rowWidth();
    const int height = m_rows.constFirst()->sizeHint().height();
    for (int i = 0; i < rowCount(); ++i)
        m_rows.at(i)->setGeometry(0, i * pitch, width, height);
    m_rowBox->resize(width, rowCount() * pitch);
}

// Shows the scroll bar exactly when the rows are taller than the viewport,
// widening the frame for it, and keeps the rows where the bar says.
void KaraokeEditorFrame::runEditorLayout()
{
    const int viewportHeight = m_viewport->height();
    const int overflow = rowCount() * rowPitch() - viewportHeight;
    const int width = rowWidth();
    if (overflow <= 0) {
        m_scrollBar->setRange(0, 0);
        m_scrollBar->hide();
        m_viewport->setFixedWidth(width);
    } else {
        const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scrollBar);
        m_scrollBar->setRange(0, qRound(overflow / pixelsPerTwip()));
        m_scrollBar->setGeometry(width + px(kScrollGap), 0, barWidth, viewportHeight);
        m_scrollBar->show();
        m_viewport->setFixedWidth(width + px(kScrollGap) + barWidth);
    }
    moveRows(m_scrollBar->value());
    updateGeometry();
}

void KaraokeEditorFrame::moveRows(int scrollTwips)
{
    m_rowBox->move(0, -px(scrollTwips));
}

void KaraokeEditorFrame::ensureRowVisible(int i)
{
    if (!m_scrollBar->isVisible() || i < 0)
        return;
    const double perTwip = pixelsPerTwip();
    const int top = i * kRowStep;
    const int shownTwips = qRound(m_viewport->height() / perTwip);
    if (top < m_scrollBar->value())
        m_scrollBar->setValue(top);
    else if (top + kRowHeight > m_scrollBar->value() + shownTwips)
        m_scrollBar->setValue(top + kRowHeight - shownTwips);
}

int KaraokeEditorFrame::rowOf(QWidget *w) const
{
    while (w && w->parentWidget() != m_rowBox)
        w = w->parentWidget();
    return w ? int(m_rows.indexOf(static_cast<ZephTimePicker *>(w))) : -1;
}

void KaraokeEditorFrame::onFocusChanged(QWidget *, QWidget *now)
{
    const int i = rowOf(now);
    if (i >= 0 && i != m_currentRow)
        setCurrentRow(i);
    else if (i >= 0)
        ensureRowVisible(i);
}

bool KaraokeEditorFrame::eventFilter(QObject *watched, QEvent *event)
{
    // The line-start field would take Ctrl+Z for its own two characters;
    // in the editor it undoes the rows' last change.
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit *>(watched)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        if (pressed == m_undoAction->shortcut() || pressed == m_redoAction->shortcut()) {
            event->ignore();
            return true;
        }
    }
    if (watched == m_viewport) {
        if (event->type() == QEvent::Resize)
            runEditorLayout();
        else if (event->type() == QEvent::Wheel && m_scrollBar->isVisible()) {
            QCoreApplication::sendEvent(m_scrollBar, event);
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

bool KaraokeEditorFrame::event(QEvent *event)
{
    const bool handled = QGroupBox::event(event);
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
        emit rowsChanged(); // the rows came into or went out of use
    return handled;
}

void KaraokeEditorFrame::changeEvent(QEvent *event)
{
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        // Once the rows have taken the change too.
        QMetaObject::invokeMethod(
            this,
            [this] {
                applyButtonSizes();
                placeRows();
                runEditorLayout();
            },
            Qt::QueuedConnection);
    }
}

} // namespace stanzary
