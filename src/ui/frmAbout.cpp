#include "ui/frmAbout.h"

#include "app/ImageIndex.h"
#include "app/basMain.h"
#include "ui/Controls.h"
#include "ui/IconSet.h"
#include "ui/UserDialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace stanzary {

namespace {

// The version the update check asks about.
const char *const kVersionId = "0.5.0rc1";

constexpr int kLegendIconSize = 20;

struct LegendRow
{
    int image;
    const char *text;
};

const LegendRow kLegend[] = {
    {Icon::HasTimestamps, "Filtered song with karaoke downloaded"},
    {Icon::UnfilteredHasTimestamps, "Unfiltered song with karaoke downloaded"},
    {Icon::KaraokeAvailable, "Filtered song with karaoke avaliable"},
    {Icon::UnfilteredKaraokeAvailable, "Unfiltered song with karaoke avaliable"},
    {Icon::LyricsOnly, "Filtered song without karaoke Why don't you create?"},
    {Icon::LyricsUnfiltered, "Unfiltered song without karaoke. Create!"},
};

} // namespace

frmAbout::frmAbout(basMain &state, UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ZEPH"));
    setAccessibleName(QStringLiteral("About ZEPH"));
    setWindowIcon(IconSet::icon(Icon::HasTimestamps));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(buildVersionFrame());
    layout->addWidget(buildInformationFrame());
    layout->addWidget(buildLegendFrame());
    layout->addStretch(1);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QWidget::close);
    setMinimumWidth(400);
}

frmAbout::~frmAbout() = default;

QWidget *frmAbout::buildVersionFrame()
{
    QGroupBox *frame = makeFrame(this, "fraVersion", QStringLiteral("Version"));
    QLabel *versionTitle = makeLabel(frame, "Label3", QStringLiteral("Version number:"));
    QLabel *version = makeLabel(frame, "lblVersion", QStringLiteral("0.5.0 RC1"));
    QLabel *dateTitle = makeLabel(frame, "Label2", QStringLiteral("Release Date:"));
    QLabel *date = makeLabel(frame, "lblReleaseDate", QStringLiteral("September 7, 2004"));
    versionTitle->setBuddy(version);
    dateTitle->setBuddy(date);
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    date->setFont(bold);
    QPushButton *check = makeButton(frame, "cmdCheck", QStringLiteral("Check for updates!"));
    connect(check, &QPushButton::clicked, this, &frmAbout::cmdCheck_Click);

    auto *grid = new QGridLayout(frame);
    grid->setColumnStretch(1, 1);
    grid->addWidget(versionTitle, 0, 0);
    grid->addWidget(version, 0, 1);
    grid->addWidget(dateTitle, 1, 0);
    grid->addWidget(date, 1, 1);
    grid->addWidget(check, 0, 2, 2, 1, Qt::AlignVCenter);
    return frame;
}

QWidget *frmAbout::buildInformationFrame()
{
    QGroupBox *frame = makeFrame(this, "fraInformation", QStringLiteral("Information"));
    QLabel *about = makeLabel(frame, "Label6",
                              QStringLiteral("Stanzary is an Tunewright' plugin created to help you to manage and "
                                             "organize your lyrics collection."));
    QLabel *risk = makeLabel(frame, "Label14", QStringLiteral("Use at your own risk!"));
    QLabel *credits = makeLabel(frame, "Label12",
                                QStringLiteral("Thanks to everyone who tried the release candidates and told us "
                                               "what went wrong."));
    QFont bold = risk->font();
    bold.setBold(true);
    risk->setFont(bold);
    credits->setForegroundRole(QPalette::PlaceholderText);
    auto *layout = new QVBoxLayout(frame);
    for (QLabel *label : {about, risk, credits}) {
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    return frame;
}

QWidget *frmAbout::buildLegendFrame()
{
    QGroupBox *frame = makeFrame(this, "fraLegend", QStringLiteral("Icon Legend"));
    auto *grid = new QGridLayout(frame);
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(8);
    int row = 0;
    for (const LegendRow &entry : kLegend) {
        auto *image = new QLabel(frame);
        image->setObjectName(QStringLiteral("img%1").arg(row));
        image->setFixedSize(kLegendIconSize, kLegendIconSize);
        QLabel *text = makeLabel(frame, QStringLiteral("lblLegend%1").arg(row), QString::fromLatin1(entry.text), true);
        image->setAccessibleName(text->text());
        grid->addWidget(image, row, 0, Qt::AlignVCenter);
        grid->addWidget(text, row, 1);
        m_legendImages.append(image);
        ++row;
    }
    return frame;
}

void frmAbout::showEvent(QShowEvent *event)
{
    showLegendImages();
    QWidget::showEvent(event);
}

void frmAbout::showLegendImages()
{
    const qreal ratio = devicePixelRatioF();
    for (int row = 0; row < m_legendImages.size(); ++row) {
        QPixmap picture = IconSet::icon(kLegend[row].image).pixmap(QSize(kLegendIconSize, kLegendIconSize), ratio);
        m_legendImages.at(row)->setPixmap(picture);
    }
}

void frmAbout::cmdCheck_Click()
{
    OpenInShell(m_dialogs,
                m_state.strMakerSite + QStringLiteral("/tunewright/zephnews.php?vid=") + QLatin1StringView(kVersionId));
}

} // namespace stanzary
