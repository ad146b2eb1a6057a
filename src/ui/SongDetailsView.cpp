#include "ui/SongDetailsView.h"

#include "app/SongCommands.h"
#include "ui/ElidedLabel.h"
#include "ui/KaraokeEditorFrame.h"
#include "ui/PlaybackArea.h"
#include "ui/PlaybackBar.h"
#include "ui/PlaybackFollow.h"
#include "ui/StampSources.h"
#include "ui/TimingKeys.h"
#include "ui/WaveformLink.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
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

// The row titles `lblInfoTitles`: its text is the titles, one a line (or an
// artist's count). Each title is drawn level with its row's value, so that a
// value on two lines moves the titles below it down.
class RowTitles : public QLabel
{
public:
    explicit RowTitles(QWidget *parent) : QLabel(parent) {}

    void setRows(const QList<ElidedLabel *> &rows)
    {
        m_rows = rows;
        for (QWidget *row : rows)
            row->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            update();
        return QLabel::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent *event) override
    {
        const QStringList lines = text().split(u'\n');
        if (lines.size() != m_rows.size() || !parentWidget()) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        const QRect area = contentsRect();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const int top = m_rows.at(i)->mapTo(parentWidget(), QPoint(0, 0)).y() - y();
            const QRect line(area.left(), top, area.width(), fontMetrics().height());
            style()->drawItemText(&painter, line, Qt::AlignLeft | Qt::AlignTop, palette(), isEnabled(), lines.at(i),
                                  foregroundRole());
        }
    }

private:
    QList<ElidedLabel *> m_rows;
};

} // namespace

SongDetailsView::SongDetailsView(UserDialogs &dialogs, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("songDetails"));

    m_titleLine = new ElidedLabel(this);
    m_titleLine->setObjectName(QStringLiteral("LblSong"));
    m_titleLine->setRowTitle(QStringLiteral("Selection"));
    QFont titleFont = m_titleLine->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    m_titleLine->setFont(titleFont);

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("lblCollectionNotice"));
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setWordWrap(true);
    m_notice->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_notice->setFrameShape(QFrame::StyledPanel);
    m_notice->setMargin(8);
    m_notice->hide();

    m_infoBlock = new QWidget(this);
    m_infoBlock->setObjectName(QStringLiteral("picInfo"));
    m_infoBlock->setAccessibleName(QStringLiteral("Details"));
    auto *titles = new RowTitles(m_infoBlock);
    m_rowTitles = titles;
    m_rowTitles->setObjectName(QStringLiteral("lblInfoTitles"));
    m_rowTitles->setTextFormat(Qt::PlainText);
    m_rowTitles->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont titlesFont = m_rowTitles->font();
    titlesFont.setBold(true);
    m_rowTitles->setFont(titlesFont);

    auto *values = new QVBoxLayout;
    values->setContentsMargins(0, 0, 0, 0);
    values->setSpacing(0);
    const char *names[] = {"lblArtist", "lblSong2", "lblKaraoke", "lblWebsite", "lblBrowser", "lblFilter"};
    for (int row = 0; row < 6; ++row) {
        m_values.append(makeValue(names[row], rowTitles().at(row).chopped(1)));
        values->addWidget(m_values.constLast());
    }
    values->addStretch(1);
    titles->setRows(m_values);
    // The karaoke state is a sentence to read whole: it takes a second line
    // rather than being cut.
    m_values.at(2)->setWrapping(true);

    auto *info = new QHBoxLayout(m_infoBlock);
    info->setContentsMargins(4, 2, 4, 2);
    info->setSpacing(12);
    info->addWidget(m_rowTitles, 0);
    info->addLayout(values, 1);

    m_karaokeFrame = new KaraokeEditorFrame(dialogs, this);
    m_karaokeFrame->hide();
    // The .lrc export pairs the stamps with the lyrics as the box shows them.
    m_karaokeFrame->setLyricsTextSource([this] { return lyricsText(); });

    m_lyricsBox = new QPlainTextEdit(this);
    m_lyricsBox->setObjectName(QStringLiteral("lyrics"));
    m_lyricsBox->setAccessibleName(QStringLiteral("Lyrics text"));
    m_lyricsBox->setTabChangesFocus(true);
    m_lyricsBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    // Across the editor and the lyrics box: the song's audio.
    m_playbackArea = new PlaybackArea(dialogs, this);
    m_follow = new PlaybackFollow(*m_karaokeFrame, *m_playbackArea->bar(), this);
    m_waveform = new WaveformLink(*m_karaokeFrame, *m_playbackArea, this);
    connect(m_follow, &PlaybackFollow::lineFollowed, this, &SongDetailsView::highlightLine);
    m_timing = new TimingCommands(*m_karaokeFrame, *m_playbackArea, dialogs, this);
    m_sources = new StampSourceCommands(
        *m_karaokeFrame, *m_playbackArea->bar(), *m_timing, dialogs, [this] { return lyricsText(); }, this);
    connect(m_sources, &StampSourceCommands::editorNeeded, this, [this] { ShowKaraokeEditionFrame(true); });
    connect(m_karaokeFrame, &KaraokeEditorFrame::fileCreated, this, &SongDetailsView::timestampsCreated);
    connect(m_lyricsBox, &QPlainTextEdit::textChanged, this, [this] { highlightLine(m_follow->followedLine()); });

    auto *lower = new QHBoxLayout;
    lower->setContentsMargins(0, 0, 0, 0);
    lower->setSpacing(6);
    lower->addWidget(m_karaokeFrame, 0);
    lower->addWidget(m_lyricsBox, 1);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(m_titleLine);
    column->addWidget(m_notice);
    column->addWidget(m_infoBlock);
    column->addWidget(m_playbackArea);
    column->addLayout(lower, 1);
    clear();
}

ElidedLabel *SongDetailsView::makeValue(const char *name, const QString &rowTitle)
{
    auto *label = new ElidedLabel(m_infoBlock);
    label->setObjectName(QLatin1StringView(name));
    label->setRowTitle(rowTitle);
    label->setMinimumHeight(label->fontMetrics().lineSpacing());
    return label;
}

void SongDetailsView::setValues(const QStringList &values)
{
    for (qsizetype row = 0; row < m_values.size(); ++row)
        m_values.at(row)->setFullText(values.value(row));
}

void SongDetailsView::setLyrics(const QString &text, LyricsBox box, const QString &unreadableReason)
{
    m_box = box;
    m_unreadableReason = box == LyricsBox::Unreadable ? unreadableReason : QString();
    QString boxText = text;
    boxText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_lyricsBox->setPlainText(boxText);
    m_lyricsBox->document()->setModified(false);
    m_lyricsBox->setReadOnly(box == LyricsBox::Unreadable);
    QString hint;
    if (box == LyricsBox::NewLyrics) {
        hint = QStringLiteral("Choose a song to see its lyrics, or type new lyrics here and store them with "
                              "\"Save As...\" under an artist and a song.");
    } else if (box == LyricsBox::Unreadable) {
        hint = QStringLiteral("The lyrics file could not be read (") + unreadableReason
               + QStringLiteral("). It is left as it is, and nothing is saved over it from here.");
    }
    m_lyricsBox->setPlaceholderText(hint);
    // A screen reader hears what the empty box's hint says.
    m_lyricsBox->setAccessibleDescription(hint);
}

void SongDetailsView::showNewLyricsBox()
{
    if (m_box != LyricsBox::NewLyrics)
        setLyrics(QString(), LyricsBox::NewLyrics);
}

bool SongDetailsView::holdsUnsavedNewLyrics() const
{
    return m_box == LyricsBox::NewLyrics && lyricsModified() && !lyricsText().trimmed().isEmpty();
}

void SongDetailsView::clear()
{
    m_titleLine->setFullText(QString());
    m_rowTitles->clear();
    m_infoBlock->hide();
    setValues({});
    ShowKaraokeEditionFrame(false);
    showPlayback(false);
    showNewLyricsBox();
}

void SongDetailsView::showArtist(const QString &artist, int songCount)
{
    m_titleLine->setFullText(QStringLiteral(" ") + artist);
    m_rowTitles->setText(QString::number(songCount) + QStringLiteral(" lyrics avaliable"));
    m_infoBlock->show();
    setValues({});
    ShowKaraokeEditionFrame(false);
    showPlayback(false);
    showNewLyricsBox();
}

void SongDetailsView::showSong(const QString &artist, const QString &song, const LyricsDetails &d)
{
    m_titleLine->setFullText(QStringLiteral(" ") + artist + QStringLiteral(" - ") + song);
    m_rowTitles->setText(rowTitles().join(u'\n'));
    m_infoBlock->show();
    setValues({d.lblArtist, d.lblSong2, d.lblKaraoke, d.lblWebsite, d.lblBrowser, d.lblFilter});
    if (d.fileFound)
        setLyrics(d.text, LyricsBox::Song);
    else
        setLyrics(QString(), LyricsBox::Unreadable, d.fileExists ? d.readError : QStringLiteral("it does not exist"));
    showPlayback(true);
}

void SongDetailsView::showKaraokeState(const QString &text)
{
    m_values.at(2)->setFullText(text);
}

void SongDetailsView::showNotice(const QString &text)
{
    m_notice->setText(text);
    m_notice->setVisible(!text.isEmpty());
}

QString SongDetailsView::lyricsText() const
{
    // toRawText keeps no-break spaces (toPlainText would turn them into
    // blanks and lose the filter mark); paragraph breaks become LF.
    QString text = m_lyricsBox->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

bool SongDetailsView::lyricsModified() const
{
    return m_lyricsBox->document()->isModified();
}

void SongDetailsView::markLyricsSaved(const QString &savedText)
{
    const QString boxText = lyricsText();
    if (savedText.size() > boxText.size() && savedText.startsWith(boxText)) {
        QTextCursor end(m_lyricsBox->document());
        end.movePosition(QTextCursor::End);
        end.insertText(savedText.mid(boxText.size()));
    }
    m_lyricsBox->document()->setModified(false);
}

void SongDetailsView::showKaraokeFor(const QString &kasPath, const LyricsDetails &d, bool blnLoadKasEditor,
                                     const CodePage &codePage)
{
    m_sources->setSong(kasPath, !d.hideKaraokeEditor, codePage);
    if (d.loadKaraokeEditor) {
        m_karaokeFrame->LoadKasFile(kasPath, blnLoadKasEditor, codePage);
        ShowKaraokeEditionFrame(true);
    } else if (d.hideKaraokeEditor || m_karaokeFrame->loadedPath() != kasPath) {
        ShowKaraokeEditionFrame(false);
    }
}

// The layout gives the lyrics box what the editor leaves.
void SongDetailsView::ShowKaraokeEditionFrame(bool bShow)
{
    m_karaokeFrame->setVisible(bShow);
}

bool SongDetailsView::stampsModified() const
{
    return !m_karaokeFrame->isHidden() && m_karaokeFrame->isModified();
}

bool SongDetailsView::saveStamps()
{
    return m_karaokeFrame->saveRows();
}

void SongDetailsView::setAudioPlayer(AudioPlayer *player)
{
    m_playbackArea->bar()->setPlayer(player);
}

PlaybackBar *SongDetailsView::playbackBar() const
{
    return m_playbackArea->bar();
}

void SongDetailsView::showSongAudio(const QStringList &files)
{
    m_playbackArea->bar()->showAudioFiles(files);
}

void SongDetailsView::showPlayback(bool show)
{
    if (!show) {
        m_playbackArea->bar()->showNoSong();
        m_sources->noSong();
    }
    m_playbackArea->setVisible(show);
}

// The followed line gets the highlight colour across the box, and is kept in
// view while the user is not at work in the box.
void SongDetailsView::highlightLine(int lineIndex)
{
    m_highlightedLine = lineIndex;
    QList<QTextEdit::ExtraSelection> marks;
    const QTextBlock block = m_lyricsBox->document()->findBlockByNumber(lineIndex);
    if (lineIndex >= 0 && block.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(block);
        mark.format.setBackground(palette().color(QPalette::Highlight));
        mark.format.setForeground(palette().color(QPalette::HighlightedText));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks.append(mark);
        if (!m_lyricsBox->hasFocus()) {
            const QRect shown = m_lyricsBox->cursorRect(QTextCursor(block));
            if (shown.top() < 0 || shown.bottom() > m_lyricsBox->viewport()->height())
                m_lyricsBox->verticalScrollBar()->setValue(block.firstLineNumber());
        }
    }
    m_lyricsBox->setExtraSelections(marks);
}

} // namespace stanzary
