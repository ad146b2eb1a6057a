#include "ui/frmTags.h"

#include "app/ImageIndex.h"
#include "ui/IconSet.h"
#include "ui/PathButton.h"
#include "ui/TaggerInfoPanel.h"
#include "ui/TaggerRowModel.h"
#include "ui/TextColour.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

// The tagger window's controls and their layout; frmTags.cpp holds what they do.

namespace stanzary {

namespace {

// Labels and buttons are read by what they show (no accessible name of
// their own: it would stay when the text changes).
QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, bool wrap = false)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wrap);
    return label;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QGroupBox *makeFrame(QWidget *parent, const QString &name, const QString &title)
{
    auto *frame = new QGroupBox(title, parent);
    frame->setObjectName(name);
    return frame;
}

QLabel *makeLegendIcon(QWidget *parent, const QString &name, int image, const QString &toolTip)
{
    auto *icon = new QLabel(parent);
    icon->setObjectName(name);
    icon->setAccessibleName(toolTip);
    icon->setToolTip(toolTip);
    icon->setPixmap(IconSet::icon(image).pixmap(16, 16));
    icon->setFixedSize(18, 18);
    return icon;
}

} // namespace

void frmTags::buildControls()
{
    m_stepOne = makeLabel(this, QStringLiteral("Label1_8"),
                          QStringLiteral("Step one: Choose the folder where your willing-to-be-tagged mp3 files are"));
    m_stepTwo = makeLabel(this, QStringLiteral("Label1_9"),
                          QStringLiteral("Step two: Check the files that you want to tag. PAY ATTENTION on alerts, "
                                         "unfiltered and  colored files."),
                          true);
    m_stepThree = makeLabel(this, QStringLiteral("Label1_10"), QStringLiteral("Step three: Tag them!"));
    for (QLabel *step : {m_stepOne, m_stepTwo, m_stepThree}) {
        QFont bold = step->font();
        bold.setBold(true);
        step->setFont(bold);
    }

    m_browseFrame = buildBrowseFrame();
    m_selectFrame = buildSelectFrame();
    m_checkFrame = buildCheckFrame();
    buildList();

    m_infoFrame = makeFrame(this, QStringLiteral("fraFrames"), QStringLiteral("Selected song information"));
    m_info = new TaggerInfoPanel(m_infoFrame);
    QSizePolicy keepPlace = m_info->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_info->setSizePolicy(keepPlace);
    auto *infoLayout = new QVBoxLayout(m_infoFrame);
    infoLayout->addWidget(m_info);
    connect(m_info, &TaggerInfoPanel::candidateChosen, this, &frmTags::candidateChosen);
    connect(m_info, &TaggerInfoPanel::displayLyricsClicked, this, &frmTags::displayLyricsClicked);
    connect(m_info, &TaggerInfoPanel::displaySavedLyricsClicked, this, &frmTags::displaySavedLyricsClicked);

    m_tagButton = makeButton(this, QStringLiteral("cmdTagThem"), TaggerCaption::TagCheckedFiles());
    QFont bold = m_tagButton->font();
    bold.setBold(true);
    m_tagButton->setFont(bold);
    m_tagButton->setMinimumWidth(m_tagButton->fontMetrics().horizontalAdvance(m_tagButton->text()) + 48);
    connect(m_tagButton, &QPushButton::clicked, this, &frmTags::tagButtonClicked);

    auto *selectionRow = new QHBoxLayout;
    selectionRow->addWidget(m_selectFrame, 3);
    selectionRow->addWidget(m_checkFrame, 1);
    m_id3v2Option = new QCheckBox(QStringLiteral("Also write ID3v2 lyrics"), this);
    m_id3v2Option->setObjectName(QStringLiteral("chkWriteId3v2Lyrics"));
    m_id3v2Option->setToolTip(QStringLiteral("Tagging also writes the lyrics into the files' ID3v2 tags, with "
                                             "their karaoke timestamps when the song has them"));
    m_id3v2Option->setChecked(m_state.blnWriteId3v2Lyrics);
    connect(m_id3v2Option, &QCheckBox::toggled, this, [this](bool on) { m_state.blnWriteId3v2Lyrics = on; });
    m_lrcOption = new QCheckBox(QStringLiteral("Also write .lrc files"), this);
    m_lrcOption->setObjectName(QStringLiteral("chkWriteLrcFiles"));
    m_lrcOption->setToolTip(QStringLiteral("Tagging also writes an .lrc file beside each tagged MP3 file whose song "
                                           "has karaoke timestamps that all find their lyric lines"));
    m_lrcOption->setChecked(m_state.blnWriteLrcFiles);
    connect(m_lrcOption, &QCheckBox::toggled, this, [this](bool on) { m_state.blnWriteLrcFiles = on; });

    auto *stepThreeRow = new QHBoxLayout;
    stepThreeRow->addWidget(m_stepThree);
    stepThreeRow->addStretch(1);
    stepThreeRow->addWidget(m_id3v2Option);
    stepThreeRow->addWidget(m_lrcOption);
    stepThreeRow->addWidget(m_tagButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_stepOne);
    layout->addWidget(m_browseFrame);
    layout->addSpacing(4);
    layout->addWidget(m_stepTwo);
    layout->addLayout(selectionRow);
    layout->addWidget(m_listArea, 1);
    layout->addWidget(m_infoFrame);
    layout->addSpacing(4);
    layout->addLayout(stepThreeRow);
}

QGroupBox *frmTags::buildBrowseFrame()
{
    QGroupBox *frame = makeFrame(this, QStringLiteral("fraFrames_0"), QStringLiteral("Browse"));
    QLabel *folderCaption = makeLabel(frame, QStringLiteral("Label1_3"), QStringLiteral("Folder:"));
    m_folderButton = new PathButton(frame);
    m_folderButton->setObjectName(QStringLiteral("cmdBrowseForFolder"));
    m_folderButton->setAccessibleDescription(QStringLiteral("The folder of your mp3 files; choose one to match them"));
    m_folderButton->setAutoDefault(false);
    folderCaption->setBuddy(m_folderButton);
    m_status = makeLabel(frame, QStringLiteral("Label1_1"), TaggerCaption::MatchesPending());
    m_status->setAccessibleDescription(QStringLiteral("Scan status"));
    m_status->setMinimumWidth(
        m_status->fontMetrics().horizontalAdvance(QStringLiteral("Matches: 00000 / 00000 (100%)")));
    QLabel *hint = makeLabel(frame, QStringLiteral("Label1_0"),
                             QStringLiteral("Select the folder where your mp3 are located. Selected folder and "
                                            "one-level subfolders will be searched"),
                             true);
    connect(m_folderButton, &QPushButton::clicked, this, &frmTags::browseForFolderClicked);

    auto *grid = new QGridLayout(frame);
    grid->addWidget(folderCaption, 0, 0);
    grid->addWidget(m_folderButton, 0, 1);
    grid->addWidget(m_status, 0, 2);
    grid->addWidget(hint, 1, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    return frame;
}

QGroupBox *frmTags::buildSelectFrame()
{
    QGroupBox *frame = makeFrame(this, QStringLiteral("fraFrames_1"), QStringLiteral("Select songs"));
    QPushButton *all = makeButton(frame, QStringLiteral("cmdSel_0"), QStringLiteral("All"));
    QPushButton *shared = makeButton(frame, QStringLiteral("cmdSel_1"), QStringLiteral("Matched more than once"));
    QPushButton *inverse = makeButton(frame, QStringLiteral("cmdSel_2"), QStringLiteral("Inverse"));
    QPushButton *unfiltered = makeButton(frame, QStringLiteral("cmdSel_3"), QStringLiteral("Unfiltered"));
    QPushButton *lyrics3 = makeButton(frame, QStringLiteral("cmdSel_5"), QStringLiteral("With lyrics3 tag"));
    QPushButton *several = makeButton(frame, QStringLiteral("cmdSel_6"), QStringLiteral("More than 1 match"));
    connect(all, &QPushButton::clicked, this, [this] { selectRowsWhere([](const TaggerRow &) { return true; }); });
    connect(shared, &QPushButton::clicked, this,
            [this] { selectRowsWhere([](const TaggerRow &r) { return r.sharedLyrics; }); });
    connect(inverse, &QPushButton::clicked, this, &frmTags::invertSelection);
    connect(unfiltered, &QPushButton::clicked, this,
            [this] { selectRowsWhere([](const TaggerRow &r) { return !r.filtered; }); });
    connect(lyrics3, &QPushButton::clicked, this,
            [this] { selectRowsWhere([](const TaggerRow &r) { return r.hasLyrics3; }); });
    connect(several, &QPushButton::clicked, this,
            [this] { selectRowsWhere([](const TaggerRow &r) { return r.severalCandidates(); }); });

    // The legend: an example of each row colour beside the button that
    // selects the rows drawn in it.
    // Both legend icons carry the same tool tip.
    const QString legendTip = QStringLiteral("This lyrics file matched more than 1 mp3");
    QLabel *lyrics3Icon = makeLegendIcon(frame, QStringLiteral("img_4"), Icon::Mp3OneCandidate, legendTip);
    QLabel *lyrics3Example = makeLabel(frame, QStringLiteral("Label1_6"), QStringLiteral("Example"));
    lyrics3Example->setAccessibleDescription(QStringLiteral("The colour of an mp3 file with a lyrics3 tag"));
    setTextColour(lyrics3Example, TaggerRowModel::lyrics3Colour());
    QLabel *sharedIcon = makeLegendIcon(frame, QStringLiteral("img_5"), Icon::LyricsOnly, legendTip);
    QLabel *sharedExample = makeLabel(frame, QStringLiteral("Label1_7"), QStringLiteral("Example"));
    sharedExample->setAccessibleDescription(QStringLiteral("The colour of lyrics that matched more than 1 mp3"));
    setTextColour(sharedExample, TaggerRowModel::sharedLyricsColour());

    auto *grid = new QGridLayout(frame);
    grid->addWidget(all, 0, 0);
    grid->addWidget(inverse, 0, 1);
    grid->addWidget(unfiltered, 0, 2);
    grid->addWidget(several, 0, 3);
    grid->addWidget(lyrics3, 1, 0);
    auto *lyrics3Legend = new QHBoxLayout;
    lyrics3Legend->addWidget(lyrics3Icon);
    lyrics3Legend->addWidget(lyrics3Example);
    lyrics3Legend->addStretch(1);
    grid->addLayout(lyrics3Legend, 1, 1);
    grid->addWidget(shared, 1, 2);
    auto *sharedLegend = new QHBoxLayout;
    sharedLegend->addWidget(sharedIcon);
    sharedLegend->addWidget(sharedExample);
    sharedLegend->addStretch(1);
    grid->addLayout(sharedLegend, 1, 3);
    for (int c = 0; c < 4; ++c)
        grid->setColumnStretch(c, 1);
    return frame;
}

QGroupBox *frmTags::buildCheckFrame()
{
    QGroupBox *frame = makeFrame(this, QStringLiteral("fraFrames_2"), QStringLiteral("Check"));
    QPushButton *check = makeButton(frame, QStringLiteral("cmdCheck_0"), QStringLiteral("Check selected"));
    QPushButton *uncheck = makeButton(frame, QStringLiteral("cmdCheck_1"), QStringLiteral("Uncheck selected"));
    m_checkedLabel = makeLabel(frame, QStringLiteral("Label1_2"), QStringLiteral("Checked: 0"));
    m_checkedLabel->setAccessibleDescription(QStringLiteral("Checked count"));
    connect(check, &QPushButton::clicked, this, [this] { checkSelected(true); });
    connect(uncheck, &QPushButton::clicked, this, [this] { checkSelected(false); });
    auto *grid = new QGridLayout(frame);
    grid->addWidget(check, 0, 0);
    grid->addWidget(uncheck, 0, 1);
    grid->addWidget(m_checkedLabel, 1, 0, 1, 2);
    return frame;
}

void frmTags::buildList()
{
    m_listArea = new QStackedWidget(this);
    m_list = new QTreeView(m_listArea);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setAccessibleName(QStringLiteral("Files to tag"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(false); // sorting follows the header clicks below
    m_list->installEventFilter(this);
    QHeaderView *header = m_list->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    // The first column holds only the check box: as wide as its caption, set
    // once (fitting it to the contents would measure thousands of rows at
    // every sort and scan).
    header->setSectionResizeMode(TaggerRowModel::FilesToTag, QHeaderView::Fixed);
    header->resizeSection(TaggerRowModel::FilesToTag,
                          header->fontMetrics().horizontalAdvance(QStringLiteral("Files to tag")) + 24);
    header->setSectionResizeMode(TaggerRowModel::Mp3File, QHeaderView::Stretch);
    header->setSectionResizeMode(TaggerRowModel::LyricsFile, QHeaderView::Stretch);
    connect(header, &QHeaderView::sectionClicked, this, &frmTags::headerClicked);
    // At the window's smallest the list still shows some whole rows (a row
    // is an icon or a line of text high, and the style's margins).
    const int margin = m_list->style()->pixelMetric(QStyle::PM_FocusFrameVMargin, nullptr, m_list) + 1;
    const int row = std::max(m_list->fontMetrics().height(), 16) + 2 * margin;
    m_list->setMinimumHeight(header->sizeHint().height() + 6 * row + 2 * m_list->frameWidth());
    connect(m_list, &QTreeView::clicked, this, &frmTags::rowClicked);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { rowClicked(current); });

    m_textView = new QPlainTextEdit(m_listArea);
    m_textView->setObjectName(QStringLiteral("txtViewLyrics"));
    m_textView->setAccessibleName(QStringLiteral("Lyrics and tagging log"));
    m_textView->setReadOnly(true);
    m_textView->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    m_textView->setFont(courier);

    m_scanningNote = new QLabel(m_listArea);
    m_scanningNote->setObjectName(QStringLiteral("lblScanning"));
    m_scanningNote->setAlignment(Qt::AlignCenter);
    m_scanningNote->setText(QStringLiteral("Matching .mp3 files..."));

    m_listArea->addWidget(m_list);
    m_listArea->addWidget(m_textView);
    m_listArea->addWidget(m_scanningNote);
}

} // namespace stanzary
