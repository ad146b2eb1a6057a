#include "ui/KaraokeEditorFrame.h"

#include "store/LyricsFile.h"
#include "ui/LrcExportCommand.h"
#include "ui/UserDialogs.h"
#include "ui/ZephTimePicker.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
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
    buildLayout();
    syncRowCount();
    showRowsFrom(0);
    ArrangeTabOrder();
    applyButtonSizes();
    placeRows();
    connect(qApp, &QApplication::focusChanged, this, &KaraokeEditorFrame::onFocusChanged);
}

KaraokeEditorFrame::~KaraokeEditorFrame()
{
    // Rows going away move the focus; nothing here may answer that.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
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
    m_codePage = codePage;
    m_lyricsPath = lyricsPath.isEmpty() ? pathOnDisk(kasPath.chopped(3) + QStringLiteral("txt")) : lyricsPath;
    syncRowCount();
    showRowsFrom(0);
    ArrangeTabOrder();
    m_scrollBar->setValue(0);
    placeRows();
    runEditorLayout();
    setModified(false);
    setEditable(result.ok());
    if (!result.ok())
        reportLoadFailure(result);
    return result;
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
    setModified(false);
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
    m_currentRow = qMin(m_currentRow, rowCount() - 1);
    const int added = m_currentRow + 1;
    m_edition.Add(added);
    syncRowCount();
    showRowsFrom(added);
    ArrangeTabOrder();
    placeRows();
    runEditorLayout();
    ensureRowVisible(added);
    setModified(true);
}

void KaraokeEditorFrame::onDel()
{
    if (m_edition.Del(m_currentRow) == KasDelResult::FirstStampRefused) {
        m_dialogs.information(QStringLiteral("ZEPH"), clsKaraokeEdition::cantDeleteFirstStampText());
        return;
    }
    syncRowCount();
    showRowsFrom(qMin(m_currentRow, rowCount() - 1));
    ArrangeTabOrder();
    placeRows();
    runEditorLayout();
    setModified(true);
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
        m_rows.append(picker);
        picker->show();
    }
    while (rowCount() > m_edition.rowCount())
        delete m_rows.takeLast();
}

void KaraokeEditorFrame::showRowsFrom(int first)
{
    for (int i = qMax(0, first); i < rowCount(); ++i) {
        const KasRow &r = m_edition.row(i);
        ZephTimePicker *picker = m_rows.at(i);
        // Times beyond the picker (a stamp past 13:59.8) show as its largest
        // and are written back unchanged unless the row's time is edited.
        const bool fits = isPickerTime(r.time);
        const StampTime shown = fits ? r.time : StampTime{13, 59, 8};
        const QSignalBlocker quiet(picker);
        picker->setMinute(shown.Minute);
        picker->setSecond(shown.Second);
        picker->setFrame(shown.Frame);
        picker->setText(r.Text);
        showStoredTime(i);
    }
}

// A time beyond the picker is told in the row's tool tip while it is kept.
void KaraokeEditorFrame::showStoredTime(int i)
{
    const StampTime &time = m_edition.row(i).time;
    m_rows.at(i)->setToolTip(
        isPickerTime(time) ? QString()
                           : QStringLiteral("Stored as %1:%2.%3, beyond what the editor shows; kept unless changed")
                                 .arg(time.Minute, 2, 10, QChar(u'0'))
                                 .arg(time.Second, 2, 10, QChar(u'0'))
                                 .arg(time.Frame));
}

void KaraokeEditorFrame::rowEdited(ZephTimePicker *picker, bool timeChanged)
{
    const int i = int(m_rows.indexOf(picker));
    if (i < 0)
        return;
    if (timeChanged) {
        m_edition.setTime(i, StampTime{quint8(picker->Minute()), quint8(picker->Second()), quint8(picker->Frame())});
        showStoredTime(i);
    } else {
        m_edition.setText(i, picker->Text());
    }
    setModified(true);
}

void KaraokeEditorFrame::setModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
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

void KaraokeEditorFrame::onFocusChanged(QWidget *, QWidget *now)
{
    QWidget *w = now;
    while (w && w->parentWidget() != m_rowBox)
        w = w->parentWidget();
    const int i = w ? int(m_rows.indexOf(static_cast<ZephTimePicker *>(w))) : -1;
    if (i < 0)
        return;
    m_currentRow = i;
    ensureRowVisible(i);
}

bool KaraokeEditorFrame::eventFilter(QObject *watched, QEvent *event)
{
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
