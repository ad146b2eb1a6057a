#include "ui/frmOptions.h"

#include "app/ImageIndex.h"
#include "app/basMain.h"
#include "karaoke/KaraokeIndex.h"
#include "ui/Controls.h"
#include "ui/IconSet.h"
#include "ui/PlainText.h"
#include "ui/UserDialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace stanzary {

namespace {

// A value label: what it shows comes from the state, and can be copied.
QLabel *makeValue(QWidget *parent, const char *name, QLabel *title)
{
    QLabel *value = makeLabel(parent, name);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    title->setBuddy(value);
    return value;
}

// A hint in the frame: smaller, in the palette's placeholder colour.
QLabel *makeHint(QWidget *parent, const char *name, const QString &text)
{
    QLabel *hint = makeLabel(parent, name, text);
    hint->setWordWrap(true);
    hint->setForegroundRole(QPalette::PlaceholderText);
    return hint;
}

QString indexAgeText(int days)
{
    return QStringLiteral("Your karaoke index is ") + QString::number(days)
           + (days >= 2 ? QStringLiteral(" days old") : QStringLiteral(" day old"));
}

} // namespace

frmOptions::frmOptions(basMain &state, UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setAccessibleName(QStringLiteral("Options"));
    setWindowIcon(IconSet::icon(ToolbarIcon::Options));

    m_help = new QToolButton(this);
    m_help->setObjectName(QStringLiteral("imgHelp"));
    m_help->setAutoRaise(true);
    m_help->setIconSize(QSize(32, 32));
    m_help->setToolTip(QStringLiteral("Need help? Click here"));
    m_help->setAccessibleName(QStringLiteral("Help"));
    auto *footnote =
        makeHint(this, "Label1",
                 QStringLiteral("* Settings marked with an asterisk take effect the next time you load the program"));

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_help, 0, Qt::AlignTop);
    bottom->addWidget(footnote, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(buildListingFrame());
    layout->addWidget(buildKaraokeFrame());
    layout->addWidget(buildSearchFrame());
    layout->addLayout(bottom);
    layout->addStretch(1);

    connect(m_updateList, &QPushButton::clicked, this, &frmOptions::cmdUpdateList_Click);
    connect(m_help, &QToolButton::clicked, this, &frmOptions::imgHelp_Click);
    connect(m_enableSearch, &QCheckBox::clicked, m_realTimeSearch, &QCheckBox::setEnabled);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QWidget::close);
    setMinimumWidth(420);
}

frmOptions::~frmOptions() = default;

QWidget *frmOptions::buildListingFrame()
{
    QGroupBox *frame = makeFrame(this, "fraListing", QStringLiteral("Lyrics listing"));
    m_updateList = makeButton(frame, "cmdUpdateList", QStringLiteral("Manual update of the list"));
    m_updateList->setToolTip(QStringLiteral("Shortcut: Click in the list (main window) and press F5"));
    QLabel *folderTitle = makeLabel(frame, "Label8", QStringLiteral("Main Lyrics Folder:"));
    m_lyricsFolder = makeValue(frame, "lblMainLyricsFolder", folderTitle);
    m_lyricsFolder->setWordWrap(true);
    QLabel *styleTitle = makeLabel(frame, "Label3", QStringLiteral("Cache Organization:"));
    m_cacheStyle = makeValue(frame, "lblCacheStyle", styleTitle);

    auto *grid = new QGridLayout(frame);
    grid->setColumnStretch(1, 1);
    grid->addWidget(folderTitle, 0, 0, Qt::AlignTop);
    grid->addWidget(m_lyricsFolder, 0, 1);
    grid->addWidget(styleTitle, 1, 0);
    grid->addWidget(m_cacheStyle, 1, 1);
    grid->addWidget(makeHint(frame, "Label2", QStringLiteral("These settings are configurable through Tunewright")), 2,
                    0, 1, 2);
    grid->addWidget(m_updateList, 3, 0, 1, 2, Qt::AlignLeft);
    return frame;
}

QWidget *frmOptions::buildKaraokeFrame()
{
    QGroupBox *frame = makeFrame(this, "fraKaraoke", QStringLiteral("Karaoke and filters"));
    m_loadKasEditor =
        addOption(frame, "chkLoadKasEditor", QStringLiteral("Auto-load karaoke editor"), &basMain::blnLoadKasEditor);
    m_availableStamps =
        addOption(frame, "chkAvaliableStamp", QStringLiteral("Check for avaliable timestamps for download*"),
                  &basMain::blnCheckForAvaliableTimestamps);
    m_unfilteredSongs = addOption(frame, "chkUnfilteredSongs", QStringLiteral("Check for unfiltered songs"),
                                  &basMain::blnCheckUnfilteredSongs);
    QLabel *ageTitle = makeLabel(frame, "Label5", QStringLiteral("Karaoke index:"));
    m_indexAge = makeValue(frame, "lblIndexAge", ageTitle);
    m_indexCount = makeLabel(frame, "lblIndexCount");
    m_indexCount->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    // How long after a line starts the user taps (the karaoke editor's
    // "Calibrate..." measures it).
    QLabel *delayTitle = makeLabel(frame, "lblTapDelay", QStringLiteral("&Tap delay:"));
    m_tapDelay = new QSpinBox(frame);
    m_tapDelay->setObjectName(QStringLiteral("spnTapDelay"));
    m_tapDelay->setRange(0, basMain::kMaxTapDelayMs);
    m_tapDelay->setSingleStep(10);
    m_tapDelay->setSuffix(QStringLiteral(" ms"));
    m_tapDelay->setToolTip(QStringLiteral("A tap in the karaoke editor sets the stamp this much before the "
                                          "moment of the tap; \"Calibrate...\" there measures yours"));
    delayTitle->setBuddy(m_tapDelay);
    connect(m_tapDelay, &QSpinBox::valueChanged, this, [this](int ms) { m_state.intTapDelayMs = ms; });

    auto *grid = new QGridLayout(frame);
    grid->setColumnStretch(1, 1);
    grid->addWidget(m_loadKasEditor, 0, 0, 1, 2);
    grid->addWidget(m_availableStamps, 1, 0, 1, 2);
    grid->addWidget(m_unfilteredSongs, 2, 0, 1, 2);
    grid->addWidget(delayTitle, 3, 0);
    grid->addWidget(m_tapDelay, 3, 1, Qt::AlignLeft);
    grid->addWidget(ageTitle, 4, 0);
    grid->addWidget(m_indexAge, 4, 1);
    grid->addWidget(m_indexCount, 5, 1);
    grid->addWidget(makeHint(frame, "Label6", QStringLiteral("Update your index frequently through Tunewright")), 6, 0,
                    1, 2);
    return frame;
}

QWidget *frmOptions::buildSearchFrame()
{
    QGroupBox *frame = makeFrame(this, "fraSearch", QStringLiteral("Search"));
    m_enableSearch =
        addOption(frame, "chkEnableSearch", QStringLiteral("Enable search feature*"), &basMain::blnEnableSearch);
    m_realTimeSearch =
        addOption(frame, "chkRealTimeSearch", QStringLiteral("Realtime search"), &basMain::blnRealTimeSearch);
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(m_enableSearch);
    auto *indented = new QHBoxLayout;
    indented->addSpacing(20); // belongs to the search feature above
    indented->addWidget(m_realTimeSearch);
    layout->addLayout(indented);
    return frame;
}

QCheckBox *frmOptions::addOption(QWidget *frame, const char *name, const QString &text, bool basMain::*option)
{
    auto *box = new QCheckBox(text, frame);
    box->setObjectName(QLatin1StringView(name));
    connect(box, &QCheckBox::clicked, this, [this, option](bool ticked) { m_state.*option = ticked; });
    m_options.append({box, option});
    return box;
}

void frmOptions::showEvent(QShowEvent *event)
{
    FillOptions();
    QWidget::showEvent(event);
}

void frmOptions::FillOptions()
{
    const QString folder = QDir::toNativeSeparators(m_state.strLyricsPath);
    m_lyricsFolder->setText(folder);
    setPlainToolTip(m_lyricsFolder, folder);
    for (const auto &[box, option] : std::as_const(m_options))
        box->setChecked(m_state.*option);
    m_realTimeSearch->setEnabled(m_state.blnEnableSearch);
    {
        const QSignalBlocker quiet(m_tapDelay);
        m_tapDelay->setValue(m_state.intTapDelayMs);
    }

    if (m_state.blnSingleDir) {
        m_cacheStyle->setText(QStringLiteral("Single Folder"));
        m_cacheStyle->setToolTip(QStringLiteral("All lyrics are saved in the lyrics main path folder"));
    } else {
        m_cacheStyle->setText(QStringLiteral("Subfolders"));
        m_cacheStyle->setToolTip(
            QStringLiteral("Lyrics are saved in subfolders named with the first letter of each artist/band"));
    }

    // No installation, no index: its age is 0.
    const int age =
        m_state.strHostPath.isEmpty() ? 0 : karaokeIndexAgeDays(karaokeIndexPath(m_state.strHostPath), m_state.now());
    m_indexAge->setText(indexAgeText(age));
    // The count is there only when this run's scans read the index.
    m_indexCount->setText(QStringLiteral("Avaliable timestamps for download: ")
                          + (m_state.blnCheckTimestampsAtStart ? m_state.strIndexRecordCount : QString()));
    m_help->setIcon(IconSet::icon(Icon::Help));
}

void frmOptions::cmdUpdateList_Click()
{
    emit updateListRequested();
    FillOptions();
}

void frmOptions::imgHelp_Click()
{
    OpenInShell(m_dialogs, m_state.strMakerSite + QStringLiteral("/tunewright/faq/faq1.php?faqnr=69"));
}

} // namespace stanzary
