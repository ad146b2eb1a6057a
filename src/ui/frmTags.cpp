#include "ui/frmTags.h"

#include "store/SongNames.h"
#include "tagger/Id3v2Lyrics.h"
#include "tagger/Mp3FolderScan.h"
#include "tagger/Mp3Matcher.h"
#include "tagger/RowTagging.h"
#include "ui/IconSet.h"
#include "ui/PathButton.h"
#include "ui/TaggerInfoPanel.h"
#include "ui/TaggerRowModel.h"
#include "ui/TextColour.h"
#include "ui/UserDialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace stanzary {

namespace {

const QString BoxTitle = QStringLiteral("ZEPH");
const QString StopCaption = QStringLiteral("Stop matching .mp3 files");
const QString TagCaption = TaggerCaption::TagCheckedFiles();
const QString ReturnCaption = QStringLiteral("Return to list");
const QString MatchesPending = TaggerCaption::MatchesPending();

// Lets pending events run while a scan or a tagging works, at most every
// few milliseconds: often enough that the window repaints and the stop
// button answers at once, seldom enough that the work is not slowed down.
class EventPump
{
public:
    void run(QEventLoop::ProcessEventsFlags flags)
    {
        if (m_since.isValid() && m_since.elapsed() < IntervalMs)
            return;
        QCoreApplication::processEvents(flags);
        m_since.start();
    }
    bool due() const { return !m_since.isValid() || m_since.elapsed() >= IntervalMs; }

private:
    static constexpr qint64 IntervalMs = 10;
    QElapsedTimer m_since;
};

// A text view shows LF line ends; trailing NUL padding of a tag is not text.
QString viewText(QByteArray bytes, const CodePage &codePage)
{
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    return codePage.decode(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

frmTags::frmTags(basMain &state, UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmTags"));
    setWindowTitle(QStringLiteral("ZEPH Lyrics3 v2.00 Tagging Utility"));
    setAccessibleName(windowTitle());
    setWindowIcon(IconSet::icon(ToolbarIcon::Lyrics3));
    m_model = new TaggerRowModel(this);
    buildControls();
    connect(m_model, &TaggerRowModel::checkedCountChanged, this, &frmTags::showCheckedCount);
    resetToStart();
    resize(980, 700);
}

frmTags::~frmTags() = default;

// ---- State ------------------------------------------------------------------

void frmTags::loadEntries()
{
    m_entries = BuildTagEntries(m_state.nodes);
    m_index = EntryWordIndex(m_entries);
    m_loaded = true;
}

void frmTags::resetToStart()
{
    m_model->clear();
    m_folder.clear();
    m_folderButton->setCaption(QStringLiteral("..."));
    m_folderButton->setToolTip(QString());
    m_status->setText(MatchesPending);
    m_scanStatus.clear();
    m_info->hide();
    enterPhase(Phase::NoFolder);
    highlightStep(1);
}

// A scan or a tagging is over. When the window was closed meanwhile, its
// list is emptied now, and the collection read anew if it was shown again.
void frmTags::finishClosedWhileBusy()
{
    if (!m_closedWhileBusy)
        return;
    m_closedWhileBusy = false;
    resetToStart();
    if (isVisible())
        loadEntries();
}

void frmTags::enterPhase(Phase phase)
{
    m_phase = phase;
    QWidget *area = m_list;
    if (phase == Phase::Scanning)
        area = m_scanningNote;
    else if (phase == Phase::SavedLyrics || phase == Phase::Log)
        area = m_textView; // its text is set before
    m_listArea->setCurrentWidget(area);
    if (area != m_textView)
        m_textView->clear();
    // The selection and check buttons work on the list, so they rest while a
    // text is shown in its place; the information panel keeps its "Return
    // to list".
    const bool busy = isBusy();
    m_selectFrame->setEnabled(!busy && area == m_list);
    m_checkFrame->setEnabled(!busy && area == m_list);
    m_infoFrame->setEnabled(!busy);
    m_info->setSavedLyricsShown(phase == Phase::SavedLyrics);
    m_tagButton->setText(phase == Phase::Log ? ReturnCaption : TagCaption);
    // A scan's first pass takes the folder button as its stop button.
    m_folderButton->setEnabled(phase != Phase::Tagging);
    m_id3v2Option->setEnabled(phase != Phase::Tagging);
    m_lrcOption->setEnabled(phase != Phase::Tagging);
    enableTagButton();
}

void frmTags::enableTagButton()
{
    switch (m_phase) {
    case Phase::Scanning:
    case Phase::Tagging: m_tagButton->setEnabled(false); break;
    case Phase::Log: m_tagButton->setEnabled(true); break;
    case Phase::NoFolder:
    case Phase::List:
    case Phase::SavedLyrics: m_tagButton->setEnabled(m_model->checkedCount() != 0); break;
    }
}

void frmTags::highlightStep(int step)
{
    const QColor highlight(0, 128, 128);
    const QColor grey = palette().color(QPalette::Disabled, QPalette::WindowText);
    setTextColour(m_stepOne, step == 1 ? highlight : grey);
    setTextColour(m_stepTwo, step == 1 ? grey : highlight);
    setTextColour(m_stepThree, step == 1 ? grey : highlight);
}

void frmTags::showCheckedCount(int count)
{
    m_checkedLabel->setText(QStringLiteral("Checked: ") + QString::number(count));
    enableTagButton();
}

int frmTags::currentRow() const
{
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() ? current.row() : -1;
}

// ---- Window -----------------------------------------------------------------

void frmTags::showEvent(QShowEvent *event)
{
    // A scan or a tagging cut short by closing works on the entries until it
    // ends; they are read anew then.
    if (!m_loaded && !isBusy())
        loadEntries();
    QWidget::showEvent(event);
}

void frmTags::closeEvent(QCloseEvent *event)
{
    m_loaded = false; // shown again, the window reads the collection anew
    if (isBusy()) {
        m_stopRequested = true;
        m_closedWhileBusy = true;
    } else {
        resetToStart();
    }
    QWidget::closeEvent(event);
}

bool frmTags::eventFilter(QObject *watched, QEvent *event)
{
    // Space toggles the check box of the current row, wherever the focus is
    // in it, as the mouse does on the box.
    if (watched == m_list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space
        && static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
        const int row = currentRow();
        if (row >= 0) {
            const QModelIndex box = m_model->index(row, TaggerRowModel::FilesToTag);
            m_model->setData(box, m_model->row(row).checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Step one: the folder and the scan --------------------------------------

void frmTags::browseForFolderClicked()
{
    if (isScanning()) {
        m_stopRequested = true;
        m_folderButton->setPath(m_folder);
        return;
    }
    const QString folder = m_dialogs.chooseFolder(QStringLiteral("Select folder..."), m_folder);
    if (folder.isEmpty())
        return;
    runScan(folder);
}

void frmTags::runScan(const QString &folder)
{
    m_stopRequested = false;
    m_status->setText(MatchesPending);
    m_info->hide();
    m_folder = folder;
    m_folderButton->setPath(folder); // the tool tip, while the caption says how to stop
    m_folderButton->setCaption(StopCaption);
    enterPhase(Phase::Scanning);
    m_model->clear();

    // The first pass lets every event through (the stop button among them);
    // the second only repaints and timers, as nothing can be stopped then.
    EventPump pump;
    bool secondPass = false;
    QString status;
    ScanCallbacks callbacks;
    callbacks.status = [&](const QString &text) {
        status = text;
        if (secondPass && pump.due()) {
            m_status->setText(status);
            pump.run(QEventLoop::ExcludeUserInputEvents);
        }
    };
    callbacks.processEvents = [&] {
        if (pump.due()) {
            m_status->setText(status);
            pump.run(QEventLoop::AllEvents);
        }
    };
    callbacks.stopRequested = [this] { return m_stopRequested; };
    callbacks.firstPassDone = [&] {
        m_stopRequested = false;
        m_folderButton->setEnabled(false);
        secondPass = true;
    };
    ScanResult result = ScanFolder(folder, m_entries, m_index, m_state.strLyricsPath, m_state.codePage, callbacks);

    m_model->setRows(std::move(result.rows));
    m_scanStatus = result.status;
    m_status->setText(m_scanStatus);
    m_folderButton->setPath(folder);
    enterPhase(Phase::List);
    showCheckedCount(m_model->checkedCount());
    highlightStep(2);
    finishClosedWhileBusy();
}

// ---- Step two: the rows -----------------------------------------------------

void frmTags::rowClicked(const QModelIndex &index)
{
    if (!index.isValid() || isScanning())
        return;
    const TaggerRow &row = m_model->row(index.row());
    m_info->showRow(row, m_entries);
    m_info->setSavedLyricsAvailable(row.hasLyrics3 || readUnsyncedLyrics(row.mp3Path));
    m_info->show();
}

void frmTags::candidateChosen(int entryIndex)
{
    const int row = currentRow();
    if (row < 0)
        return;
    m_model->chooseEntry(row, entryIndex, m_entries, m_state.strLyricsPath);
    m_info->showChosenLyrics(m_model->row(row));
}

void frmTags::headerClicked(int section)
{
    QHeaderView *header = m_list->header();
    if (section != TaggerRowModel::FilesToTag) {
        const bool reverse = section == m_model->sortColumn();
        const Qt::SortOrder order =
            reverse && m_model->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        m_model->sort(section, reverse ? order : Qt::AscendingOrder);
    }
    // The header flips its own indicator on any click; it shows the model's.
    const bool sorted = m_model->sortColumn() != TaggerRowModel::FilesToTag;
    header->setSortIndicatorShown(sorted);
    if (sorted)
        header->setSortIndicator(m_model->sortColumn(), m_model->sortOrder());
}

void frmTags::selectRowsWhere(bool (*qualifies)(const TaggerRow &row))
{
    if (m_model->rowCount() == 0)
        return;
    const QList<int> rows = m_model->rowsWhere(qualifies);
    QItemSelection selection;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows.at(j + 1) == rows.at(j) + 1)
            ++j;
        selection.select(m_model->index(rows.at(i), 0), m_model->index(rows.at(j), TaggerRowModel::ColumnCount - 1));
        i = j + 1;
    }
    m_list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void frmTags::invertSelection()
{
    const int rows = m_model->rowCount();
    if (rows == 0)
        return;
    const QItemSelection all(m_model->index(0, 0), m_model->index(rows - 1, TaggerRowModel::ColumnCount - 1));
    m_list->selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

void frmTags::checkSelected(bool checked)
{
    QList<int> rows;
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    for (const QModelIndex &index : selected)
        rows.append(index.row());
    m_model->setChecked(rows, checked);
    showCheckedCount(m_model->checkedCount());
}

void frmTags::displayLyricsClicked()
{
    const int row = currentRow();
    if (row < 0)
        return;
    const QString name = m_model->row(row).lyricsName;
    emit displayLyricsRequested(GetArtist(name), GetSong(name));
}

void frmTags::displaySavedLyricsClicked()
{
    if (m_phase == Phase::SavedLyrics) {
        enterPhase(Phase::List);
        return;
    }
    const int row = currentRow();
    const std::optional<QString> id3v2 = row < 0 ? std::nullopt : readUnsyncedLyrics(m_info->mp3Path());
    if (row < 0 || (!m_model->row(row).hasLyrics3 && !id3v2))
        return;
    QString text;
    if (m_model->row(row).hasLyrics3) {
        text = viewText(SavedLyricsOf(m_info->mp3Path()), m_state.codePage);
        if (text.isEmpty()) {
            text = QStringLiteral("The lyrics3 tag is present, but the lyrics field is missing.\nYou can insert the "
                                  "lyrics in this file safely.");
        }
    }
    // The ID3v2 lyrics (USLT) follow the Lyrics3 tag's, under a heading of their own.
    if (id3v2)
        text +=
            (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + QStringLiteral("---- ID3v2 lyrics ----\n") + *id3v2;
    m_textView->setPlainText(text);
    enterPhase(Phase::SavedLyrics);
}

// ---- Step three: tagging ----------------------------------------------------

void frmTags::tagButtonClicked()
{
    if (m_phase == Phase::Log)
        returnFromLog();
    else
        tagCheckedRows();
}

void frmTags::tagCheckedRows()
{
    const int count = m_model->checkedCount();
    if (count <= 0)
        return;
    const QString question = QStringLiteral("Are you sure you want to tag ") + QString::number(count)
                             + (count == 1 ? QStringLiteral(" file?") : QStringLiteral(" files?"));
    if (m_dialogs.askYesNo(BoxTitle, question) != Answer::Yes)
        return;

    enterPhase(Phase::Tagging);
    EventPump pump;
    // A copy: the rows stay as they are until the user returns to them.
    const QList<TaggerRow> rows = m_model->rows();
    TaggingSetup setup;
    setup.codePage = m_state.codePage;
    setup.site = m_state.strMakerSite;
    setup.journal = m_journal;
    setup.options.id3v2 = m_state.blnWriteId3v2Lyrics;
    setup.options.lrc = m_state.blnWriteLrcFiles;
    RowRunOptions run;
    run.progress = [&](int done, int total) {
        if (pump.due()) {
            m_status->setText(QStringLiteral("Tagging: ") + QString::number(done) + u'/' + QString::number(total));
            pump.run(QEventLoop::ExcludeUserInputEvents);
        }
    };
    // Another program tagging files of these folders is never waited for:
    // the window would hang meanwhile.
    const TaggingRun tagging = TagCheckedFiles(rows, setup, run);
    m_status->setText(m_scanStatus);
    if (tagging.refused()) {
        enterPhase(Phase::List);
        if (!m_closedWhileBusy)
            m_dialogs.critical(BoxTitle, tagging.refusal());
    } else {
        m_textView->setPlainText(tagging.log().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        m_info->hide();
        enterPhase(Phase::Log);
    }
    finishClosedWhileBusy();
}

void frmTags::returnFromLog()
{
    enterPhase(Phase::List);
    const Answer refresh =
        m_dialogs.askYesNo(BoxTitle, QStringLiteral("Do you want to refresh the list using the same folder?"));
    if (refresh == Answer::No) {
        highlightStep(1);
        showCheckedCount(m_model->checkedCount());
        return;
    }
    runScan(m_folder);
}

} // namespace stanzary
