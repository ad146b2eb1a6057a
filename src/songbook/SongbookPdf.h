#pragma once

#include "app/SongbookSongs.h"
#include "platform/SafeWrite.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <optional>

namespace stanzary {

// The songbook as a PDF file (SongbookLayout on a PDF writer). Needs a
// QGuiApplication for its fonts.

// The PDF's bytes, made in memory; nothing when they could not be made. An
// Automatic paper size follows locale.
std::optional<QByteArray> songbookPdf(const Songbook &book, const SongbookOptions &options,
                                      const QLocale &locale = QLocale());

enum class SongbookPdfStatus {
    Ok,
    Exists, // a file of that name is there and overwrite was not allowed: nothing was written
    Failed, // the PDF could not be made or written (error tells why); an old file is kept as it was
};

struct SongbookPdfResult
{
    SongbookPdfStatus status = SongbookPdfStatus::Failed;
    QString error;
    bool ok() const { return status == SongbookPdfStatus::Ok; }
};

// Makes the PDF and writes it to path through the safe write: afterwards
// the file is the whole PDF, or what it was before (nothing when it was not
// there). An existing file is replaced only when overwrite is set.
SongbookPdfResult writeSongbookPdf(const Songbook &book, const SongbookOptions &options, const QString &path,
                                   bool overwrite, const QLocale &locale = QLocale());

} // namespace stanzary
