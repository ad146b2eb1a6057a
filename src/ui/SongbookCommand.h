#pragma once

#include "app/SongbookSongs.h"

#include <QString>

class QPrinter;
class QWidget;

namespace stanzary {

class basMain;
class UserDialogs;

// The songbook of the checked songs, which the question after a join
// offers: printed after Qt's print preview, or saved as a PDF file. Both
// first ask for the layout (SongbookOptionsDialog) and tell every failure.
// The options chosen are kept for the next book. Works on the state and
// dialogs it is given; window (may be null) owns the boxes it opens.
class SongbookCommand
{
public:
    SongbookCommand(const basMain &state, UserDialogs &dialogs, QWidget *window);

    void print();
    // suggested: the folder and name the file chooser starts with.
    void saveAsPdf(const QString &suggested);

private:
    bool readSongs();
    bool askOptions(bool forPrinter);
    // Paints the book on printer (the preview's or the real one); false when
    // the printer could not be painted on.
    bool paintOn(QPrinter &printer) const;

    const basMain &m_state;
    UserDialogs &m_dialogs;
    QWidget *m_window;
    Songbook m_book;
    SongbookOptions m_options;
};

} // namespace stanzary
