#include "ui/CountPanel.h"

#include "app/ImageIndex.h"
#include "store/CollectionScan.h"
#include "ui/Controls.h"
#include "ui/ElidedLabel.h"
#include "ui/IconSet.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace stanzary {

namespace {

ElidedLabel *makeCount(const QString &name, const QString &caption, QWidget *parent)
{
    auto *label = new ElidedLabel(parent);
    label->setObjectName(name);
    label->setFullText(caption);
    return label;
}

QLabel *makeIcon(int number, int image, const QString &meaning, QWidget *parent)
{
    QLabel *label = makeIconLabel(parent, QStringLiteral("imageCount%1").arg(number), image, meaning);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QGridLayout *makeGrid()
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(1, 1);
    return grid;
}

} // namespace

CountPanel::CountPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picCountPanel"));
    setAccessibleName(QStringLiteral("Collection counts"));

    m_lyricsCount = makeCount(QStringLiteral("lblLyricsCount"), QStringLiteral("Lyrics:"), this);
    m_timestampsCount = makeCount(QStringLiteral("lblTimestampsBig"), QStringLiteral("Timestamps:"), this);
    QFont strong = m_lyricsCount->font();
    strong.setBold(true);
    m_lyricsCount->setFont(strong);
    m_timestampsCount->setFont(strong);
    QGridLayout *first = makeGrid();
    first->addWidget(makeIcon(0, Icon::LyricsOnly, QStringLiteral("Lyrics"), this), 0, 0);
    first->addWidget(m_lyricsCount, 0, 1);
    first->addWidget(makeIcon(1, Icon::HasTimestamps, QStringLiteral("Timestamps"), this), 1, 0);
    first->addWidget(m_timestampsCount, 1, 1);

    m_detailLines = new QWidget(this);
    m_downloadedCount = makeCount(QStringLiteral("lblTimestampsSmall"), QStringLiteral("Downloaded"), m_detailLines);
    m_availableCount = makeCount(QStringLiteral("lblAvaliableCount"), QStringLiteral("Avaliable"), m_detailLines);
    m_percent = makeCount(QStringLiteral("lblPercent"), QString(), m_detailLines);
    QGridLayout *details = makeGrid();
    details->setContentsMargins(18, 0, 0, 0);
    details->addWidget(makeIcon(2, Icon::CountPanelDownloaded, QStringLiteral("Timestamps downloaded"), this), 0, 0);
    details->addWidget(m_downloadedCount, 0, 1);
    details->addWidget(makeIcon(3, Icon::KaraokeAvailable, QStringLiteral("Timestamps available for download"), this),
                       1, 0);
    details->addWidget(m_availableCount, 1, 1);
    details->addWidget(makeIcon(4, Icon::CountPanelTotal, QStringLiteral("Share of your lyrics with timestamps"), this),
                       2, 0);
    details->addWidget(m_percent, 2, 1);
    m_detailLines->setLayout(details);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(2);
    outer->addLayout(first);
    outer->addWidget(m_detailLines);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

void CountPanel::showCounts(const CountPanelTexts &texts)
{
    const auto show = [](ElidedLabel *label, const QString &text) {
        if (!text.isNull())
            label->setFullText(text);
    };
    show(m_lyricsCount, texts.lyricsCount);
    show(m_timestampsCount, texts.timestampsCount);
    show(m_downloadedCount, texts.downloadedCount);
    show(m_availableCount, texts.availableCount);
    show(m_percent, texts.percent);
}

void CountPanel::setFirstLinesOnly(bool firstLinesOnly)
{
    m_detailLines->setVisible(!firstLinesOnly);
}

} // namespace stanzary
