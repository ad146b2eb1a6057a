#include "ui/CountPanel.h"

#include "app/ImageIndex.h"
#include "app/basMain.h"
#include "store/CollectionScan.h"
#include "ui/IconSet.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace stanzary {

namespace {

QLabel *makeLabel(const QString &name, const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel *makeIcon(int number, int image, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("imageCount%1").arg(number));
    label->setPixmap(IconSet::icon(image).pixmap(16, 16));
    label->setFixedSize(18, 18);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

CountPanel::CountPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picCountPanel"));
    setAccessibleName(QStringLiteral("Collection counts"));

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(2);

    auto *first = new QGridLayout;
    first->setHorizontalSpacing(6);
    first->setVerticalSpacing(2);
    lblLyricsCount = makeLabel(QStringLiteral("lblLyricsCount"), QStringLiteral("Lyrics:"), this);
    lblTimestampsBig = makeLabel(QStringLiteral("lblTimestampsBig"), QStringLiteral("Timestamps:"), this);
    QFont strong = lblLyricsCount->font();
    strong.setBold(true);
    lblLyricsCount->setFont(strong);
    lblTimestampsBig->setFont(strong);
    first->addWidget(makeIcon(0, Icon::LyricsOnly, this), 0, 0);
    first->addWidget(lblLyricsCount, 0, 1);
    first->addWidget(makeIcon(1, Icon::HasTimestamps, this), 1, 0);
    first->addWidget(lblTimestampsBig, 1, 1);
    first->setColumnStretch(1, 1);
    outer->addLayout(first);

    m_detailLines = new QWidget(this);
    auto *details = new QGridLayout(m_detailLines);
    details->setContentsMargins(18, 0, 0, 0);
    details->setHorizontalSpacing(6);
    details->setVerticalSpacing(2);
    lblTimestampsSmall = makeLabel(QStringLiteral("lblTimestampsSmall"), QStringLiteral("Downloaded"), this);
    lblAvaliableCount = makeLabel(QStringLiteral("lblAvaliableCount"), QStringLiteral("Avaliable"), this);
    lblPercent = makeLabel(QStringLiteral("lblPercent"), QString(), this);
    details->addWidget(makeIcon(2, Icon::CountPanelDownloaded, this), 0, 0);
    details->addWidget(lblTimestampsSmall, 0, 1);
    details->addWidget(makeIcon(3, Icon::KaraokeAvailable, this), 1, 0);
    details->addWidget(lblAvaliableCount, 1, 1);
    details->addWidget(makeIcon(4, Icon::CountPanelTotal, this), 2, 0);
    details->addWidget(lblPercent, 2, 1);
    details->setColumnStretch(1, 1);
    outer->addWidget(m_detailLines);

    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

void CountPanel::showCounts(const CountPanelTexts &texts)
{
    // A null text leaves its label as it is.
    const auto show = [](QLabel *label, const QString &text) {
        if (!text.isNull())
            label->setText(text);
    };
    show(lblLyricsCount, texts.lblLyricsCount);
    show(lblTimestampsBig, texts.lblTimestampsBig);
    show(lblTimestampsSmall, texts.lblTimestampsSmall);
    show(lblAvaliableCount, texts.lblAvaliableCount);
    show(lblPercent, texts.lblPercent);
}

void CountPanel::setFirstLinesOnly(bool firstLinesOnly)
{
    m_detailLines->setVisible(!firstLinesOnly);
}

} // namespace stanzary
