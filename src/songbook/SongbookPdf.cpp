#include "songbook/SongbookPdf.h"

#include "songbook/SongbookLayout.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

namespace stanzary {

std::optional<QByteArray> songbookPdf(const Songbook &book, const SongbookOptions &options, const QLocale &locale)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return std::nullopt;
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Lyrics"));
        writer.setCreator(QStringLiteral("Stanzary"));
        setUpSongbookPages(writer, options.paper, locale, false);
        const SongbookLayout layout(book, options, writer);
        QPainter painter;
        if (!painter.begin(&writer))
            return std::nullopt;
        const bool painted = layout.paint(painter);
        if (!painter.end() || !painted)
            return std::nullopt;
    }
    buffer.close();
    if (!bytes.startsWith("%PDF-"))
        return std::nullopt;
    return bytes;
}

SongbookPdfResult writeSongbookPdf(const Songbook &book, const SongbookOptions &options, const QString &path,
                                   bool overwrite, const QLocale &locale)
{
    const QFileInfo target(path);
    if (!overwrite && (target.exists() || target.isSymLink()))
        return {SongbookPdfStatus::Exists, QStringLiteral("the file already exists")};
    const std::optional<QByteArray> pdf = songbookPdf(book, options, locale);
    if (!pdf)
        return {SongbookPdfStatus::Failed, QStringLiteral("the PDF could not be made")};
    const WriteResult written = writeFileSafely(path, *pdf);
    if (written.ok())
        return {SongbookPdfStatus::Ok, QString()};
    if (written.status == WriteStatus::ReadOnly)
        return {SongbookPdfStatus::Failed, QStringLiteral("the file is read-only")};
    return {SongbookPdfStatus::Failed, written.error};
}

} // namespace stanzary
