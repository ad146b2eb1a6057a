#include "ui/SongDetailsView.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace stanzary {

namespace {

const QStringList &rowTitles()
{
    static const QStringList titles = {QStringLiteral("Artist:"),          QStringLiteral("Song:"),
                                       QStringLiteral("Karaoke:"),         QStringLiteral("Website:"),
                                       QStringLiteral("Downloaded from:"), QStringLiteral("Filter:")};
    return titles;
}

} // namespace

SongDetailsView::SongDetailsView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("songDetails"));

    LblSong = new QLabel(this);
    LblSong->setObjectName(QStringLiteral("LblSong"));
    LblSong->setAccessibleName(QStringLiteral("Selection"));
    QFont titleFont = LblSong->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    LblSong->setFont(titleFont);
    LblSong->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LblSong->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    picInfo = new QWidget(this);
    picInfo->setObjectName(QStringLiteral("picInfo"));
    picInfo->setAccessibleName(QStringLiteral("Details"));
    lblInfoTitles = new QLabel(picInfo);
    lblInfoTitles->setObjectName(QStringLiteral("lblInfoTitles"));
    lblInfoTitles->setAccessibleName(QStringLiteral("Details titles"));
    lblInfoTitles->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont titlesFont = lblInfoTitles->font();
    titlesFont.setBold(true);
    lblInfoTitles->setFont(titlesFont);

    auto *values = new QVBoxLayout;
    values->setContentsMargins(0, 0, 0, 0);
    values->setSpacing(0);
    lblArtist = makeValue(QStringLiteral("lblArtist"), rowTitles().at(0));
    lblSong2 = makeValue(QStringLiteral("lblSong2"), rowTitles().at(1));
    lblKaraoke = makeValue(QStringLiteral("lblKaraoke"), rowTitles().at(2));
    lblWebsite = makeValue(QStringLiteral("lblWebsite"), rowTitles().at(3));
    lblBrowser = makeValue(QStringLiteral("lblBrowser"), rowTitles().at(4));
    lblFilter = makeValue(QStringLiteral("lblFilter"), rowTitles().at(5));
    for (QLabel *l : {lblArtist, lblSong2, lblKaraoke, lblWebsite, lblBrowser, lblFilter})
        values->addWidget(l);
    values->addStretch(1);

    auto *info = new QHBoxLayout(picInfo);
    info->setContentsMargins(4, 2, 4, 2);
    info->setSpacing(12);
    info->addWidget(lblInfoTitles, 0);
    info->addLayout(values, 1);

    frmKaraoke = new QGroupBox(QStringLiteral("Karaoke Editor"), this);
    frmKaraoke->setObjectName(QStringLiteral("frmKaraoke"));
    frmKaraoke->setAccessibleName(QStringLiteral("Karaoke Editor"));
    frmKaraoke->hide();

    lyrics = new QPlainTextEdit(this);
    lyrics->setObjectName(QStringLiteral("lyrics"));
    lyrics->setAccessibleName(QStringLiteral("Lyrics text"));
    lyrics->setTabChangesFocus(true);
    lyrics->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    auto *lower = new QHBoxLayout;
    lower->setContentsMargins(0, 0, 0, 0);
    lower->setSpacing(6);
    lower->addWidget(frmKaraoke, 0);
    lower->addWidget(lyrics, 1);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(LblSong);
    column->addWidget(picInfo);
    column->addLayout(lower, 1);
}

QLabel *SongDetailsView::makeValue(const QString &name, const QString &rowTitle)
{
    auto *label = new QLabel(picInfo);
    label->setObjectName(name);
    label->setAccessibleDescription(rowTitle.chopped(1));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label->setMinimumHeight(label->fontMetrics().lineSpacing());
    return label;
}

void SongDetailsView::clearValues()
{
    for (QLabel *l : {lblArtist, lblSong2, lblKaraoke, lblWebsite, lblBrowser, lblFilter}) {
        l->clear();
        l->setToolTip(QString());
    }
}

void SongDetailsView::clearAll()
{
    LblSong->clear();
    lblInfoTitles->clear();
    clearValues();
    setLyricsText(QString());
}

void SongDetailsView::showArtist(const QString &artist, int songCount)
{
    LblSong->setText(QStringLiteral(" ") + artist);
    lblInfoTitles->setText(QString::number(songCount) + QStringLiteral(" lyrics avaliable"));
    clearValues();
}

void SongDetailsView::showSongTitles(const QString &artist, const QString &song)
{
    LblSong->setText(QStringLiteral(" ") + artist + QStringLiteral(" - ") + song);
    lblInfoTitles->setText(rowTitles().join(u'\n'));
}

QString SongDetailsView::lyricsText() const
{
    // toRawText keeps no-break spaces (toPlainText would turn them into
    // blanks and lose the filter mark); paragraph breaks become LF.
    QString text = lyrics->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

void SongDetailsView::setLyricsText(const QString &text)
{
    QString boxText = text;
    boxText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lyrics->setPlainText(boxText);
    lyrics->document()->setModified(false);
}

bool SongDetailsView::lyricsModified() const
{
    return lyrics->document()->isModified();
}

void SongDetailsView::setLyricsModified(bool modified)
{
    lyrics->document()->setModified(modified);
}

void SongDetailsView::showKaraokeFrame(bool show)
{
    frmKaraoke->setVisible(show);
}

} // namespace stanzary
