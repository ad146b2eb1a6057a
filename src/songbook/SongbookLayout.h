#pragma once

#include "app/SongbookSongs.h"

#include <QList>
#include <QPageSize>

#include <memory>

class QLocale;
class QPagedPaintDevice;
class QPainter;
class QTextDocument;

namespace stanzary {

// The page size a book is made in: A4 or Letter as chosen; Automatic is
// Letter where the locale measures in US units, else A4.
QPageSize songbookPageSize(SongbookPaper paper, const QLocale &locale);

// Sets the device's margins and, unless the paper is Automatic and
// keepDeviceSize is set (a printer keeps the size it is set up with), its
// page size. Done before a SongbookLayout is made for the device.
void setUpSongbookPages(QPagedPaintDevice &device, SongbookPaper paper, const QLocale &locale, bool keepDeviceSize);

// A songbook laid out in pages for one paint device (a PDF writer or a
// printer): the title page ("Lyrics", the date, the number of songs), the
// contents (artist, song and page) from the second page on, then the songs,
// each under its title and artist. Every line of the lyrics is a paragraph
// of its own, so a page ends between two lines, never inside one; a song's
// heading is never left alone at the foot of a page. Pages are counted from
// the title page, which is page 1 and shows no number; the others show theirs
// at their foot. Neither the book nor the device is owned; both must outlive
// the layout.
class SongbookLayout
{
public:
    SongbookLayout(const Songbook &book, const SongbookOptions &options, QPagedPaintDevice &device);
    ~SongbookLayout();
    SongbookLayout(const SongbookLayout &) = delete;
    SongbookLayout &operator=(const SongbookLayout &) = delete;

    int pageCount() const;
    // The page each song starts on, in the book's order; the contents show these.
    const QList<int> &songPages() const { return m_songPages; }

    // Paints every page with painter, which is active on the device, starting
    // a new page before each but the first. False when the device refused a
    // new page.
    bool paint(QPainter &painter) const;

private:
    void build();
    QList<int> headingPages(QList<int> &alone) const;
    int pageOf(int blockNumber) const;

    const Songbook &m_book;
    const SongbookOptions m_options;
    QPagedPaintDevice &m_device;
    std::unique_ptr<QTextDocument> m_document;
    double m_pageHeight = 0; // the text's part of a page, above the page number
    double m_footHeight = 0;
    QList<int> m_songPages;
    QList<int> m_headingBlocks;   // the block number of each song's title
    QList<int> m_firstLineBlocks; // and of the line that follows its heading
    QList<bool> m_startsPage;     // songs moved to the next page so that their heading is not alone
};

} // namespace stanzary
