#pragma once

#include "karaoke/KaraokeEdition.h"
#include "karaoke/RowEdits.h"

#include <QGroupBox>
#include <QList>

#include <functional>

class QAction;
class QHBoxLayout;
class QPushButton;
class QScrollBar;
class QToolButton;
class QUndoStack;

namespace stanzary {

class UserDialogs;
class ZephTimePicker;

// The karaoke editor `frmKaraoke`: the buttons "Add", "Del" and "Save"
// (`cmdAdd`, `cmdDel`, `cmdSave`) above the viewport
// `picContainerKasEditModeOne`, which shows the rows on the box
// `picMoveable1` and scrolls them with `VScroll1`. Row i is time picker
// `ZephTimePicker1` i, 300 twips below row i - 1; the rows are those of the
// editor's row manager (clsKaraokeEdition), which this frame owns.
//
// Geometry is that of the window design in twips, turned into pixels by the
// rows' own height (at the design font 15 twips to a pixel), so the editor
// grows with the font and the screen. The scroll bar counts twips.
//
// Failures are told to the user through UserDialogs: a file that cannot be
// read whole is shown as far as it was read and cannot be edited or saved;
// a save that fails leaves the file as it was and the rows as they are.
//
// Below the three buttons, "Export .lrc" (`cmdExportLrc`) writes the rows,
// paired with the song's lyric lines, as an .lrc file beside the lyrics
// file or beside an MP3 file the user chooses (LrcExportCommand).
class KaraokeEditorFrame : public QGroupBox
{
    Q_OBJECT

public:
    explicit KaraokeEditorFrame(UserDialogs &dialogs, QWidget *parent = nullptr);
    ~KaraokeEditorFrame() override;

    // Fills the rows from the timestamp file kasPath (its name matched
    // ignoring case) while blnLoadKasEditor is on; off, nothing changes.
    // Pending window events, but no user input, run once first. The rows'
    // prefixes are decoded with codePage. Tab order and layout follow.
    // lyricsPath is the song's lyrics file (by default the .txt file beside
    // kasPath), which the .lrc export pairs the stamps with.
    KasLoadResult LoadKasFile(const QString &kasPath, bool blnLoadKasEditor, const CodePage &codePage,
                              const QString &lyricsPath = QString());

    // Starts the stamps of a song that has no timestamp file yet, kasPath:
    // one empty row, nothing changed yet; Save creates the file (records,
    // ";", CR LF). The rows are then pushed as one undoable change.
    void startNewStamps(const QString &kasPath, const CodePage &codePage);
    // The rows belong to a file that Save has not created yet.
    bool isNewFile() const { return m_newFile; }

    // Where the export takes the lyrics text from (the lyrics box, with its
    // unsaved edits); without it the lyrics file is read.
    void setLyricsTextSource(std::function<QString()> lyricsText);
    // Writes the .lrc file beside besidePath, telling the user the outcome.
    bool exportLrcBeside(const QString &besidePath);

    // Writes the rows to the file they were loaded from. A failure is told
    // to the user; success is not (the Save button says so itself).
    bool saveRows();

    // Row i gets tab position i, after the buttons.
    void ArrangeTabOrder();

    // Rows changed since the last load or save: the undo stack is not at
    // the state saved.
    bool isModified() const;
    // Every change of the rows goes through here onto the undo stack; false
    // (nothing pushed) for an empty edit or rows that cannot be edited.
    bool pushEdit(const RowsEdit &edit);
    void undo();
    void redo();
    QUndoStack *undoStack() const { return m_undo; }
    // The timestamp file the rows belong to; empty before the first load.
    QString loadedPath() const { return m_path; }

    int rowCount() const { return int(m_rows.size()); }
    ZephTimePicker *row(int i) const { return m_rows.at(i); }
    // The row that last had the focus (0 at start); Add and Del act there.
    int currentRow() const { return m_currentRow; }
    // Makes row i current and scrolls it into view (the keyboard stays).
    void setCurrentRow(int i);
    bool isEditable() const { return m_editable; }
    // The row that follows playback is tinted and kept in view; -1: none.
    void setFollowedRow(int i);
    int followedRow() const { return m_followedRow; }
    // The lyrics as the export and the following pair them, and their code page.
    QString currentLyricsText() const { return lyricsText(); }
    const CodePage &codePage() const { return m_codePage; }
    const clsKaraokeEdition &edition() const { return m_edition; }
    // The rows as the shown song's stamps: none while the editor is hidden,
    // when it may still hold an earlier song's rows, which the waveform, the
    // following and Replay must not use.
    QList<KasRow> rowsInUse() const { return isHidden() ? QList<KasRow>{} : m_edition.rows(); }

signals:
    void modifiedChanged(bool modified);
    // The rows were loaded, changed, undone or redone, or the editor was shown
    // or hidden (rowsInUse).
    void rowsChanged();
    void currentRowChanged(int row);
    // The rows were written to their file.
    void saved();
    // The first save of new stamps created their timestamp file.
    void fileCreated(const QString &kasPath);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildLayout();
    void onAdd();
    void onDel();
    void onSave();
    void onExportBesideMp3();
    QString lyricsText() const;
    void reportLoadFailure(const KasLoadResult &result);

    void buildUndoActions();
    void showEdit(const RowsEdit &edit, bool applied);
    void showAllRows();
    int rowOf(QWidget *w) const;
    void syncRowCount();
    void showRowsFrom(int first);
    void rowEdited(ZephTimePicker *picker, bool timeChanged);
    void showStoredTime(int i);
    void setEditable(bool editable);

    // Layout: pixels per twip, row pitch, the rows on their box, and the
    // viewport with or without the scroll bar.
    double pixelsPerTwip() const;
    int px(double twips) const;
    int rowPitch() const;
    int rowWidth() const;
    void applyButtonSizes();
    void placeRows();
    void runEditorLayout();
    void moveRows(int scrollTwips);
    void ensureRowVisible(int i);
    void onFocusChanged(QWidget *old, QWidget *now);

    UserDialogs &m_dialogs;
    clsKaraokeEdition m_edition;
    QString m_path;
    QString m_lyricsPath;
    CodePage m_codePage;
    std::function<QString()> m_lyricsText;
    QString m_mp3Folder; // where the last MP3 file for an export was chosen
    bool m_editable = true;
    bool m_newFile = false;
    int m_currentRow = 0;
    int m_followedRow = -1;

    QUndoStack *m_undo = nullptr;
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_delButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QHBoxLayout *m_strip = nullptr;
    QToolButton *m_exportButton = nullptr;
    QAction *m_exportBesideLyrics = nullptr;
    QAction *m_exportBesideMp3 = nullptr;
    QWidget *m_viewport = nullptr;
    QWidget *m_rowBox = nullptr;
    QScrollBar *m_scrollBar = nullptr;
    QList<ZephTimePicker *> m_rows;
};

} // namespace stanzary
