#pragma once

#include "karaoke/KasFile.h"
#include "platform/CodePage.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace stanzary {

// One row of the karaoke editor: a stamp's time and the two-character line
// prefix as text (the record's prefix decoded through the code page).
struct KasRow
{
    StampTime time;
    QString Text;
    // The time code this row was read with; empty for an added row. Saving
    // writes it back byte for byte while the time is unchanged, so codes
    // that decode to a time but are not the canonical spelling survive.
    QByteArray loadedCode;
    friend bool operator==(const KasRow &, const KasRow &) = default;
};

// How the editor asks for a timestamp file to be loaded.
struct KasLoadOptions
{
    // The "Auto-load karaoke editor" option (blnLoadKasEditor): when off,
    // loading does nothing and the rows stay as they are.
    bool blnLoadKasEditor = true;
    // The prefixes are decoded with it, and saving encodes with it again.
    CodePage codePage;
    // Runs once before the rows are rebuilt: the window lets its pending
    // events run there (this class never runs an event loop itself).
    std::function<void()> letPendingEventsRun;
};

struct KasLoadResult
{
    KasReadStatus status = KasReadStatus::Ok;
    QString detail;       // what is wrong, for the user, when not Ok
    int records = 0;      // stamp records read
    bool skipped = false; // the option is off: nothing was read or changed
    bool ok() const { return status == KasReadStatus::Ok; }
};

enum class KasSaveStatus {
    Ok,
    NotLoaded,   // no well-formed timestamp file is loaded: saving would lose bytes
    Unencodable, // a row's text has a character the code page cannot hold, or a ";"
    ReadOnly,    // the file is marked read-only; nothing written
    Failed,      // the file could not be written; the old one is kept
};

struct KasSaveResult
{
    KasSaveStatus status = KasSaveStatus::Failed;
    QString detail; // offending text or the system's reason
    bool ok() const { return status == KasSaveStatus::Ok; }
};

enum class KasDelResult {
    Deleted,
    FirstStampRefused, // row 0, or the only row: "Can't delete first stamp"
};

// The karaoke editor's rows, without widgets: an ordered list of stamps
// (row 0 always exists) and the tail of the timestamp file last loaded
// (KasTail). The editor window shows row i in its time picker i.
//
// Loading remembers whether the file was read whole; saving is refused
// (NotLoaded) unless the last load was, so a file this class cannot read
// completely (or could not read at all) is never overwritten with a part of
// it. Times beyond the picker's range (up to 40 minutes can be stored) are
// kept as read and written back unchanged.
class clsKaraokeEdition
{
public:
    clsKaraokeEdition() = default;

    // Fills the rows from the timestamp file, which is found ignoring case.
    // The prefixes are decoded with codePage, which saving then uses again.
    // A file without records, or one that cannot be read, leaves one empty
    // row 0 (never the previous song's stamp).
    KasLoadResult LoadKasFile(const QString &FileName, const CodePage &codePage = CodePage());
    // The same, as the editor window asks for it: nothing happens while the
    // auto-load option is off; otherwise the pending-events pass runs first.
    KasLoadResult LoadKasFile(const QString &FileName, const KasLoadOptions &options);

    // Writes the rows in order and KasTail to FileName (or to the name it
    // has on disk when it exists ignoring case), as the timestamp format
    // says: rows whose text is empty or starts with two spaces are left out.
    KasSaveResult SaveKasFile(const QString &FileName) const;

    // Starts the rows of a song that has no timestamp file yet: the given
    // rows (one empty row when there are none), the tail of a new file (";")
    // and codePage for saving. Saving then creates the file: the records,
    // ";" and CR LF.
    void startNewFile(const QList<KasRow> &rows, const CodePage &codePage = CodePage());

    // Removes rows 1 and up; row 0 keeps its values. Empties KasTail and
    // forgets the loaded file, so a save is refused until the next load.
    void UnloadAll();

    // Inserts an empty row (00:00.0, no text) at Position; later rows move
    // down. A Position beyond the last row appends; a negative one counts as 0.
    void Add(int Position);

    // Deletes the row at Position; later rows move up. Row 0, a negative
    // Position and the only row are refused. A Position beyond the last row
    // removes the last row.
    KasDelResult Del(int Position);

    int rowCount() const { return int(m_rows.size()); }
    const KasRow &row(int i) const { return m_rows.at(i); }
    const QList<KasRow> &rows() const { return m_rows; }
    // Changes row i; refused (false) for a row that does not exist, a time
    // that has no time code (TimeToCode) or a text longer than 2 characters.
    bool setTime(int i, const StampTime &time);
    bool setText(int i, const QString &text);
    // Replaces count rows from row at with rows (the undoable changes of
    // RowEdits are made of this). Refused (false, nothing changed) for a
    // range outside the rows or a change that would leave no row.
    bool replaceRows(int at, int count, const QList<KasRow> &rows);

    // Records read by the last load (0 after UnloadAll); the rows' box
    // is this many rows high after loading.
    int loadedRecords() const { return m_loadedRecords; }
    bool hasLoadedFile() const { return m_loaded; }
    const QByteArray &KasTail() const { return m_tail; }

    // The records SaveKasFile would write, or the failure that stops it.
    KasSaveResult recordsForSave(QList<KasRecord> &records) const;

    // The editor's notices, as the windows show them.
    static QString cantDeleteFirstStampText() { return QStringLiteral("Can't delete first stamp"); }
    static QString savedText() { return QStringLiteral("Karaoke timestamps succesfully saved"); }

private:
    QList<KasRow> m_rows{KasRow{}};
    QByteArray m_tail;
    CodePage m_codePage;
    int m_loadedRecords = 0;
    bool m_loaded = false;
};

} // namespace stanzary
