#include "ui/TaggerInfoPanel.h"

#include "app/ImageIndex.h"
#include "ui/Controls.h"
#include "ui/ElidedLabel.h"
#include "ui/IconSet.h"
#include "ui/PlainText.h"
#include "ui/TextColour.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace stanzary {

namespace {

constexpr int IconSize = 16;

// An icon of the panel; a hidden one (an alert that does not apply) leaves
// no gap.
QLabel *makeImage(QWidget *parent, const QString &name, const QString &accessibleName, const QIcon &icon = {})
{
    auto *image = new QLabel(parent);
    image->setObjectName(name);
    image->setAccessibleName(accessibleName);
    image->setFixedSize(IconSize + 2, IconSize + 2);
    image->setAlignment(Qt::AlignCenter);
    if (!icon.isNull())
        image->setPixmap(icon.pixmap(IconSize, IconSize));
    return image;
}

} // namespace

TaggerInfoPanel::TaggerInfoPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picInfo"));
    setAccessibleName(QStringLiteral("Selected song information"));
    const QIcon alert = style()->standardIcon(QStyle::SP_MessageBoxWarning);

    m_fixedIcon =
        makeImage(this, QStringLiteral("img_0"), QStringLiteral("Mp3 file"), IconSet::icon(Icon::Mp3OneCandidate));
    m_mp3Caption = makeLabel(this, QStringLiteral("Label1_4"), QStringLiteral("Mp3 file:"));
    m_mp3Name = new ElidedLabel(this);
    m_mp3Name->setObjectName(QStringLiteral("lblInfo_0"));
    m_mp3Name->setRowTitle(QStringLiteral("Mp3 file"));
    m_mp3Name->setFullText(QStringLiteral("Mp3 File"));
    m_noId3v1Alert = makeImage(this, QStringLiteral("img_2"), QStringLiteral("No id3v1 tag"), alert);
    m_noId3v1Alert->setToolTip(QStringLiteral("An id3v1 tag will be added to this file"));

    m_lyricsCaption = makeLabel(this, QStringLiteral("Label1_5"), QStringLiteral("Lyrics:"));
    m_lyricsIcon = makeImage(this, QStringLiteral("img_1"), QStringLiteral("Lyrics file state"));
    // Names too long for the panel are cut at a word, as the main window cuts
    // them; the file's tool tip stays its full path.
    m_lyricsName = new ElidedLabel(this);
    m_lyricsName->setObjectName(QStringLiteral("lblInfo_1"));
    m_lyricsName->setRowTitle(QStringLiteral("Lyrics"));
    m_lyricsName->setFullText(QStringLiteral("Lyrics file"));
    m_candidates = new QComboBox(this);
    m_candidates->setObjectName(QStringLiteral("cboLyrics"));
    m_candidates->setAccessibleName(QStringLiteral("Lyrics candidates"));
    m_candidates->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_candidates->setMinimumContentsLength(16);
    m_candidates->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_candidates->hide();
    m_sharedAlert = makeImage(this, QStringLiteral("img_3"), QStringLiteral("Shared lyrics"), alert);
    m_sharedAlert->setToolTip(QStringLiteral("This lyrics file matched more than 1 mp3"));

    m_displayLyrics = new QPushButton(QStringLiteral("Display lyrics"), this);
    m_displayLyrics->setObjectName(QStringLiteral("cmdDisplayLyrics"));
    m_displayLyrics->setAutoDefault(false);
    m_displaySavedLyrics = new QPushButton(QStringLiteral("Display lyrics saved into this file"), this);
    m_displaySavedLyrics->setObjectName(QStringLiteral("cmdDisplaySavedLyrics"));
    m_displaySavedLyrics->setAutoDefault(false);

    fitHeight();

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    // Each alert stands right in front of the name it is about. The names
    // take the room that is left: each gets what its whole text needs when
    // there is room for both (no stretch factor, which would split the room
    // in halves whatever the names), and give up the same when there is not.
    for (QWidget *name : std::initializer_list<QWidget *>{m_mp3Name, m_lyricsName})
        name->setSizePolicy(QSizePolicy::Expanding, name->sizePolicy().verticalPolicy());
    row->addWidget(m_fixedIcon);
    row->addWidget(m_mp3Caption);
    row->addWidget(m_noId3v1Alert);
    row->addWidget(m_mp3Name);
    row->addSpacing(12);
    row->addWidget(m_lyricsCaption);
    row->addWidget(m_lyricsIcon);
    row->addWidget(m_sharedAlert);
    row->addWidget(m_lyricsName);
    row->addWidget(m_candidates);
    row->addSpacing(12);
    row->addWidget(m_displayLyrics);
    row->addWidget(m_displaySavedLyrics);

    connect(m_candidates, &QComboBox::activated, this,
            [this](int item) { emit candidateChosen(m_candidates->itemData(item).toInt()); });
    connect(m_displayLyrics, &QPushButton::clicked, this, &TaggerInfoPanel::displayLyricsClicked);
    connect(m_displaySavedLyrics, &QPushButton::clicked, this, &TaggerInfoPanel::displaySavedLyricsClicked);
}

// As high as its tallest control, whichever of them are shown, so that the
// list above does not move when the drop-down takes the lyrics name's place.
void TaggerInfoPanel::fitHeight()
{
    int height = 0;
    for (QWidget *w : std::initializer_list<QWidget *>{m_candidates, m_displayLyrics, m_displaySavedLyrics, m_mp3Name})
        height = std::max(height, w->sizeHint().height());
    setFixedHeight(height);
}

void TaggerInfoPanel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitHeight();
}

void TaggerInfoPanel::setSavedLyricsAvailable(bool available)
{
    m_displaySavedLyrics->setVisible(available);
}

void TaggerInfoPanel::showRow(const TaggerRow &row, const QList<TagEntry> &entries)
{
    m_mp3Path = row.mp3Path;
    m_mp3Name->setFullText(row.mp3Name);
    m_mp3Name->setOwnToolTip(row.mp3Path);
    m_displaySavedLyrics->setVisible(row.hasLyrics3);
    m_noId3v1Alert->setVisible(row.mp3Tag() == u"withoutid3");

    const bool several = row.candidates.size() > 1;
    if (several) {
        m_lyricsCaption->setText(QStringLiteral("Lyrics(") + QString::number(row.candidates.size())
                                 + QStringLiteral("):"));
        setTextColour(m_lyricsCaption, QColor(255, 0, 0));
        const QSignalBlocker quiet(m_candidates);
        m_candidates->clear();
        for (const int e : row.candidates) {
            if (e >= 0 && e < entries.size())
                m_candidates->addItem(entries.at(e).Words.join(u' '), e);
        }
        m_candidates->setCurrentIndex(m_candidates->findData(row.chosen));
    } else {
        m_lyricsCaption->setText(QStringLiteral("Lyrics:"));
        setTextColour(m_lyricsCaption, palette().color(QPalette::ButtonText));
        m_lyricsName->setFullText(row.lyricsName);
    }
    m_lyricsName->setVisible(!several);
    m_candidates->setVisible(several);
    setPlainToolTip(m_candidates, several ? row.lyricsPath : QString());
    showChosenLyrics(row);
}

void TaggerInfoPanel::showChosenLyrics(const TaggerRow &row)
{
    m_lyricsIcon->setPixmap(IconSet::icon(row.lyricsImage()).pixmap(IconSize, IconSize));
    m_lyricsIcon->setToolTip(row.filtered ? QString() : QStringLiteral("Unfiltered"));
    m_sharedAlert->setVisible(row.sharedLyrics);
    if (m_candidates->isVisible() || row.candidates.size() > 1)
        setPlainToolTip(m_candidates, row.lyricsPath);
}

QString TaggerInfoPanel::mp3Path() const
{
    return m_mp3Path;
}

void TaggerInfoPanel::setSavedLyricsShown(bool shown)
{
    m_savedLyricsShown = shown;
    m_displaySavedLyrics->setText(shown ? QStringLiteral("Return to list")
                                        : QStringLiteral("Display lyrics saved into this file"));
    QFont font = m_displaySavedLyrics->font();
    font.setBold(shown);
    m_displaySavedLyrics->setFont(font);
}

} // namespace stanzary
