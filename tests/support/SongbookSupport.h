#pragma once

#include "app/SongbookSongs.h"

#include <QRectF>
#include <QString>
#include <QStringList>

namespace stanzary::test {

// What the songbook tests share: songs to print and a PDF read back with
// poppler's pdftotext and pdfinfo.

// Three songs with accents, Cyrillic and Greek; with longSong the second
// holds 150 numbered lines, more than a page takes.
QList<SongbookSong> sampleSongbookSongs(bool longSong);

// Songs of 1 to count lines ("Length 07" has seven), whose headings land at
// every height of a page.
QList<SongbookSong> songsOfEveryLength(int count);

// The text of each page of a PDF file (pdftotext -layout), trailing spaces
// of each line removed; empty when it cannot be read.
QStringList pdfPages(const QString &path);

// Where the words of a PDF stand (pdftotext -bbox), in points from the top
// left corner of their page.
struct PdfWord
{
    QString text;
    QRectF box;
};
struct PdfPage
{
    QSizeF size;
    QList<PdfWord> words;
};
struct PdfLayout
{
    QString title; // the document's title
    QList<PdfPage> pages;
};
PdfLayout pdfLayout(const QString &path);

// The page size pdfinfo names ("A4", "letter"); empty when it cannot tell.
QString pdfPaperName(const QString &path);

// The page number the contents give for a song: the number that ends the
// contents line naming title; 0 when there is no such line.
int contentsPageOf(const QString &contentsPage, const QString &title);

} // namespace stanzary::test
