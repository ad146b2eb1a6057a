#pragma once

#include "tagger/TagEntry.h"
#include "tagger/TaggerRow.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace stanzary {

class ElidedLabel;

// The tagger's information panel `picInfo`: the clicked row's MP3 file and
// chosen lyrics in one line along the panel's width, the candidates drop-down
// `cboLyrics` when there are several, the two alerts (no ID3v1 record, lyrics
// shared with another file), "Display lyrics" and "Display lyrics saved into
// this file". It shows what it is given and reports the user's choices.
class TaggerInfoPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TaggerInfoPanel(QWidget *parent = nullptr);

    // Fills the panel from a row; entries give the candidates' names.
    void showRow(const TaggerRow &row, const QList<TagEntry> &entries);
    // The row's lyrics changed (another candidate): its icon and alert.
    void showChosenLyrics(const TaggerRow &row);

    // The full path of the shown MP3 file (lblInfo(0)'s tool tip).
    QString mp3Path() const;

    // The saved-lyrics toggle: "Return to list" in bold while they are shown.
    void setSavedLyricsShown(bool shown);
    // "Display lyrics saved into this file" is offered: the file holds a
    // Lyrics3 tag (showRow sets that) or ID3v2 lyrics.
    void setSavedLyricsAvailable(bool available);
    bool savedLyricsShown() const { return m_savedLyricsShown; }

signals:
    void candidateChosen(int entryIndex);
    void displayLyricsClicked();
    void displaySavedLyricsClicked();

protected:
    void changeEvent(QEvent *event) override;

private:
    void fitHeight();

    QLabel *m_fixedIcon = nullptr;       // img(0)
    QLabel *m_mp3Caption = nullptr;      // Label1(4)
    ElidedLabel *m_mp3Name = nullptr;    // lblInfo(0)
    QLabel *m_noId3v1Alert = nullptr;    // img(2)
    QLabel *m_lyricsCaption = nullptr;   // Label1(5)
    QLabel *m_lyricsIcon = nullptr;      // img(1)
    ElidedLabel *m_lyricsName = nullptr; // lblInfo(1)
    QComboBox *m_candidates = nullptr;   // cboLyrics
    QLabel *m_sharedAlert = nullptr;     // img(3)
    QPushButton *m_displayLyrics = nullptr;
    QPushButton *m_displaySavedLyrics = nullptr;
    QString m_mp3Path;
    bool m_savedLyricsShown = false;
};

} // namespace stanzary
