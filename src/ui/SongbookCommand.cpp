#include "ui/SongbookCommand.h"

#include "songbook/SongbookLayout.h"
#include "songbook/SongbookPdf.h"
#include "ui/MainWindowTexts.h"
#include "ui/SongbookOptionsDialog.h"
#include "ui/UserDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace stanzary {

namespace Texts = MainWindowTexts;

SongbookCommand::SongbookCommand(const basMain &state, UserDialogs &dialogs, QWidget *window)
    : m_state(state), m_dialogs(dialogs), m_window(window)
{}

bool SongbookCommand::readSongs()
{
    // A missing file was told by the join itself; the book leaves it out.
    m_book = CheckedSongbook(m_state);
    if (!m_book.songs.isEmpty())
        return true;
    m_dialogs.critical(Texts::title(), Texts::SongbookNothingRead);
    return false;
}

bool SongbookCommand::askOptions(bool forPrinter)
{
    SongbookOptionsDialog box(m_options, forPrinter, m_window);
    if (box.exec() != QDialog::Accepted)
        return false;
    m_options = box.options();
    return true;
}

bool SongbookCommand::paintOn(QPrinter &printer) const
{
    const SongbookLayout layout(m_book, m_options, printer);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const bool painted = layout.paint(painter);
    return painter.end() && painted;
}

void SongbookCommand::print()
{
    if (!readSongs() || !askOptions(true))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Lyrics"));
    setUpSongbookPages(printer, m_options.paper, QLocale(), true);
    QPrintPreviewDialog preview(&printer, m_window);
    preview.setObjectName(QStringLiteral("frmSongbookPreview"));
    // The preview paints the book on its own pages, then once more on the
    // printer when the user prints: the last painting is the one that counts.
    bool failed = false;
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter *target) { failed = !paintOn(*target); });
    const bool printed = preview.exec() == QDialog::Accepted;
    if (printed && (failed || printer.printerState() == QPrinter::Error))
        m_dialogs.critical(Texts::title(), Texts::SongbookNotPrinted);
}

void SongbookCommand::saveAsPdf(const QString &suggested)
{
    if (!readSongs() || !askOptions(false))
        return;
    QString path = m_dialogs.chooseSaveFile(Texts::SongbookPdfTitle, suggested, Texts::SongbookPdfFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo target(path);
    const bool replace = target.exists() || target.isSymLink();
    if (replace
        && m_dialogs.askYesNo(Texts::SongbookPdfTitle, Texts::songbookPdfExists(shown), MessageIcon::Question)
               != Answer::Yes)
        return;
    const SongbookPdfResult written = writeSongbookPdf(m_book, m_options, path, replace);
    if (written.ok())
        m_dialogs.information(Texts::title(), Texts::songbookPdfSaved(shown));
    else
        m_dialogs.critical(Texts::title(), Texts::songbookPdfNotSaved(shown, written.error));
}

} // namespace stanzary
