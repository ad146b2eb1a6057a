#pragma once

#include "app/SongbookSongs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace stanzary {

// The box "frmSongbook" that asks how a songbook is laid out before it is
// printed or saved as a PDF: one song per page (chkSongPerPage), the font
// size (spnFontSize) and the paper (cboPaper). forPrinter names the
// automatic paper after the printer, else after the locale's A4 or Letter.
class SongbookOptionsDialog : public QDialog
{
    Q_OBJECT

public:
    SongbookOptionsDialog(const SongbookOptions &options, bool forPrinter, QWidget *parent = nullptr);

    SongbookOptions options() const;

private:
    QCheckBox *m_songPerPage;
    QSpinBox *m_fontSize;
    QComboBox *m_paper;
};

} // namespace stanzary
