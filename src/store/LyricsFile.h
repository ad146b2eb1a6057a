#pragma once

#include "platform/CodePage.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace stanzary {

// A lyrics file is the host's plain text: the lyrics, then optionally the
// source trailer (a line of sixteen "-" and "* Downloaded from: <address>")
// and the filter mark "] filter used" anywhere. Text is in the host's code
// page with CR LF line ends; a text box holds the same text with LF.

// What a lyrics text tells about its source and the host's filter.
struct LyricsSource
{
    QString strPage;             // the address after the last "* Downloaded from:", trimmed
    QString strWebsite;          // the site part of strPage ("www.site.example")
    bool blnHasPageInfo = false; // a "* Downloaded from:" marker is present
    bool blnFilterUsed = false;  // "] filter used" occurs (the no-break space does not count)
};

LyricsSource deriveLyricsSource(const QString &text); // text as read (CR LF line ends)

// The site of a page address: the text between "http://" (or "https://") and
// the next "/", or the rest of the address when no "/" follows; trimmed.
// Empty when the address names neither scheme.
QString websiteOf(const QString &page);

// The whole file as bytes; nothing when it cannot be opened or read (a
// missing file, a folder, a named pipe, no permission, more than
// MaxTextFileBytes).
std::optional<QByteArray> readLyricsBytes(const QString &path); // nullopt when it cannot be read
// The same, decoded with the code page.
std::optional<QString> readLyricsText(const QString &path, const CodePage &codePage);

// Whether the lyrics file's text holds "] filter used" (the host's filter
// was used on it); nothing when it cannot be read.
std::optional<bool> readFilterUsed(const QString &path, const CodePage &codePage);

enum class LyricsWriteStatus { Ok, ReadOnly, Unencodable, Failed };
struct LyricsWriteResult
{
    LyricsWriteStatus status;
    QString detail; // detail: offending character / system error
    bool ok() const { return status == LyricsWriteStatus::Ok; }
};

// text as a text box holds it (LF line ends); written with CR LF line ends and a final CR LF
// Writes the whole file through a safe write, so a failure keeps the old
// content. A read-only file, or a text with a character the code page cannot
// hold, is refused and nothing is written. A text that already ends with a
// line end gets no second one, so loading and saving again does not grow it.
LyricsWriteResult writeLyricsFile(const QString &path, const QString &boxText, const CodePage &codePage);

// The text as it goes on disk: every LF (or CR LF) as CR LF; no final line
// end is added.
QString toDiskLineEnds(const QString &boxText);

// The filter mark of saved lyrics: boxText with a no-break space (U+00A0)
// appended unless one stands among the last six characters of its on-disk
// form (where a line end counts as two characters).
QString withFilterMark(const QString &boxText);

} // namespace stanzary
