#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace stanzary {

// The right column of the main window below the toolbar: the title line
// `LblSong`, the details block `picInfo` (row titles in `lblInfoTitles`, one
// value label per row), the karaoke editor frame `frmKaraoke` and the lyrics
// box `lyrics`. It only shows what it is given; the main window decides what.
class SongDetailsView : public QWidget
{
    Q_OBJECT

public:
    explicit SongDetailsView(QWidget *parent = nullptr);

    // The details of an artist node: its title line and "N lyrics avaliable".
    void showArtist(const QString &artist, int songCount);
    // Row titles of a song; the value labels are set one by one.
    void showSongTitles(const QString &artist, const QString &song);

    // The lyrics box's text as a user edits it (LF line ends).
    QString lyricsText() const;
    // Replaces the box's text; the box counts as unchanged afterwards.
    void setLyricsText(const QString &text);
    bool lyricsModified() const;
    void setLyricsModified(bool modified);

    void showKaraokeFrame(bool show);

    QLabel *LblSong = nullptr;
    QWidget *picInfo = nullptr;
    QLabel *lblInfoTitles = nullptr;
    QLabel *lblArtist = nullptr;
    QLabel *lblSong2 = nullptr;
    QLabel *lblKaraoke = nullptr;
    QLabel *lblWebsite = nullptr;
    QLabel *lblBrowser = nullptr;
    QLabel *lblFilter = nullptr;
    QGroupBox *frmKaraoke = nullptr;
    QPlainTextEdit *lyrics = nullptr;

    // Empties the value labels.
    void clearValues();
    // Nothing chosen: title line, row titles, values and lyrics empty.
    void clearAll();

private:
    QLabel *makeValue(const QString &name, const QString &rowTitle);
};

} // namespace stanzary
