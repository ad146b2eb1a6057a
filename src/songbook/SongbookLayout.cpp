#include "songbook/SongbookLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace stanzary {

namespace {

// The text layout takes margins and paddings in pixels of a 96 dpi screen
// and scales them to the device; page sizes are in the device's own pixels.
constexpr double PixelsPerPoint = 96.0 / 72.0;
constexpr double MarginMillimetres = 18;

QTextCharFormat textFormat(double points, bool bold = false, bool italic = false)
{
    QTextCharFormat format;
    format.setFontPointSize(points);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(italic);
    return format;
}

QString songCountText(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 song") : QString::number(count) + QStringLiteral(" songs");
}

} // namespace

QPageSize songbookPageSize(SongbookPaper paper, const QLocale &locale)
{
    switch (paper) {
    case SongbookPaper::A4: return QPageSize(QPageSize::A4);
    case SongbookPaper::Letter: return QPageSize(QPageSize::Letter);
    case SongbookPaper::Automatic: break;
    }
    return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4);
}

void setUpSongbookPages(QPagedPaintDevice &device, SongbookPaper paper, const QLocale &locale, bool keepDeviceSize)
{
    if (paper != SongbookPaper::Automatic || !keepDeviceSize)
        device.setPageSize(songbookPageSize(paper, locale));
    device.setPageMargins(QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
                          QPageLayout::Millimeter);
}

SongbookLayout::SongbookLayout(const Songbook &book, const SongbookOptions &options, QPagedPaintDevice &device)
    : m_book(book), m_options(options), m_device(device)
{
    m_footHeight = 2.5 * m_options.fontSize * m_device.logicalDpiY() / 72.0;
    m_pageHeight = m_device.height() - m_footHeight;
    const qsizetype songs = m_book.songs.size();
    m_songPages = QList<int>(songs, 0);
    m_startsPage = QList<bool>(songs, false);
    // The contents show the songs' pages, found by laying the book out. A
    // heading left alone at the foot of a page moves its song to the next,
    // which moves the songs after it. The numbers shown do not change the
    // layout, and each round that is not the last moves at least one song for
    // good: the pages settle within a round per song and one more.
    for (qsizetype round = 0; round < songs + 2; ++round) {
        build();
        QList<int> alone;
        const QList<int> pages = headingPages(alone);
        for (const int song : std::as_const(alone))
            m_startsPage[song] = true;
        const bool settled = alone.isEmpty() && pages == m_songPages;
        m_songPages = pages;
        if (settled)
            break;
    }
}

SongbookLayout::~SongbookLayout() = default;

void SongbookLayout::build()
{
    const double size = m_options.fontSize;
    m_document = std::make_unique<QTextDocument>();
    m_document->documentLayout()->setPaintDevice(&m_device);
    m_document->setDocumentMargin(0);
    m_document->setPageSize(QSizeF(m_device.width(), m_pageHeight));
    QFont font = m_document->defaultFont();
    font.setPointSizeF(size);
    m_document->setDefaultFont(font);
    QTextCursor cursor(m_document.get());

    // The title page.
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    QTextBlockFormat title = centred;
    title.setTopMargin(m_pageHeight / 3 * 96.0 / m_device.logicalDpiY());
    title.setBottomMargin(24 * PixelsPerPoint);
    // The first block's top margin is not laid out: the title stands in the
    // second, below an empty one.
    cursor.insertBlock(title);
    cursor.insertText(QStringLiteral("Lyrics"), textFormat(36, true));
    cursor.insertBlock(centred);
    cursor.insertText(QLocale().toString(m_book.date, QLocale::LongFormat), textFormat(14));
    cursor.insertBlock(centred);
    cursor.insertText(songCountText(m_book.songs.size()), textFormat(14));

    // The contents.
    QTextBlockFormat contentsTitle;
    contentsTitle.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    contentsTitle.setBottomMargin(size * PixelsPerPoint);
    cursor.insertBlock(contentsTitle);
    cursor.insertText(QStringLiteral("Contents"), textFormat(size * 1.6, true));
    if (!m_book.songs.isEmpty()) {
        QTextTableFormat table;
        table.setBorder(0);
        table.setCellSpacing(0);
        table.setCellPadding(size * PixelsPerPoint / 5);
        // Columns in hundredths of the page's width: the table spans it, and
        // the page numbers stand at its right margin.
        table.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 40),
                                         QTextLength(QTextLength::PercentageLength, 48),
                                         QTextLength(QTextLength::PercentageLength, 12)});
        QTextTable *contents = cursor.insertTable(int(m_book.songs.size()), 3, table);
        QTextBlockFormat right;
        right.setAlignment(Qt::AlignRight);
        for (int i = 0; i < m_book.songs.size(); ++i) {
            const SongbookSong &song = m_book.songs.at(i);
            contents->cellAt(i, 0).firstCursorPosition().insertText(song.artist, textFormat(size));
            contents->cellAt(i, 1).firstCursorPosition().insertText(song.title, textFormat(size));
            QTextCursor page = contents->cellAt(i, 2).firstCursorPosition();
            page.setBlockFormat(right);
            page.insertText(QString::number(m_songPages.at(i)), textFormat(size));
        }
        cursor.movePosition(QTextCursor::End);
    }

    // The songs: title, artist, then one paragraph per line.
    m_headingBlocks.clear();
    m_firstLineBlocks.clear();
    for (int i = 0; i < m_book.songs.size(); ++i) {
        const SongbookSong &song = m_book.songs.at(i);
        QTextBlockFormat heading;
        if (i == 0 || m_options.songPerPage || m_startsPage.at(i))
            heading.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        else
            heading.setTopMargin(2 * size * PixelsPerPoint);
        cursor.insertBlock(heading);
        cursor.insertText(song.title, textFormat(size * 1.5, true));
        m_headingBlocks.append(cursor.block().blockNumber());
        QTextBlockFormat artist;
        artist.setBottomMargin(size * PixelsPerPoint);
        cursor.insertBlock(artist);
        cursor.insertText(song.artist, textFormat(size * 1.1, false, true));
        const QStringList lines = song.lyrics.isEmpty() ? QStringList() : song.lyrics.split(u'\n');
        for (const QString &line : lines) {
            cursor.insertBlock(QTextBlockFormat());
            cursor.insertText(line, textFormat(size));
        }
        m_firstLineBlocks.append(cursor.block().blockNumber() - int(std::max<qsizetype>(lines.size() - 1, 0)));
    }
}

// The page (from 1) of each song's title, and in alone the songs whose
// title stands at the foot of a page without the line after its heading.
QList<int> SongbookLayout::headingPages(QList<int> &alone) const
{
    QList<int> pages;
    for (int i = 0; i < m_headingBlocks.size(); ++i) {
        const int page = pageOf(m_headingBlocks.at(i));
        pages.append(page + 1);
        if (page != pageOf(m_firstLineBlocks.at(i)))
            alone.append(i);
    }
    return pages;
}

// The page (from 0) the first line of a block lies on.
int SongbookLayout::pageOf(int blockNumber) const
{
    m_document->pageCount(); // lays the document out
    const QTextLayout *layout = m_document->findBlockByNumber(blockNumber).layout();
    double top = layout->position().y();
    if (layout->lineCount() > 0)
        top += layout->lineAt(0).y();
    return int(std::floor((top + 1) / m_pageHeight));
}

int SongbookLayout::pageCount() const
{
    return m_document->pageCount();
}

bool SongbookLayout::paint(QPainter &painter) const
{
    const double width = m_device.width();
    QFont pageNumberFont = m_document->defaultFont();
    pageNumberFont.setPointSizeF(std::max(8.0, m_options.fontSize * 0.8));
    const int pages = pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !m_device.newPage())
            return false;
        const QRectF area(0, page * m_pageHeight, width, m_pageHeight);
        painter.save();
        painter.translate(0, -area.top());
        painter.setClipRect(area);
        QAbstractTextDocumentLayout::PaintContext context;
        // A line that touches the page's edge from the page before or after
        // is not drawn here at all: clipped away it would still be in the
        // PDF's text.
        context.clip = area.adjusted(0, 1, 0, -1);
        context.palette.setColor(QPalette::Text, Qt::black); // paper is white, whatever the desktop's colours
        m_document->documentLayout()->draw(&painter, context);
        painter.restore();
        if (page > 0) {
            painter.setPen(Qt::black);
            painter.setFont(pageNumberFont);
            painter.drawText(QRectF(0, m_pageHeight, width, m_footHeight), Qt::AlignHCenter | Qt::AlignBottom,
                             QString::number(page + 1));
        }
    }
    return true;
}

} // namespace stanzary
