#pragma once

#include <QWidget>

class QHBoxLayout;
class QVBoxLayout;

namespace stanzary {

class PlaybackBar;
class UserDialogs;

// The karaoke editor's playback area across the song's details: from top to
// bottom a place for a strip that draws the song (empty until one is set),
// the playback bar, and a row of the timing commands' buttons.
class PlaybackArea : public QWidget
{
    Q_OBJECT

public:
    explicit PlaybackArea(UserDialogs &dialogs, QWidget *parent = nullptr);

    PlaybackBar *bar() const { return m_bar; }
    // Puts strip above the bar (this area owns it then); nullptr removes it.
    void setStrip(QWidget *strip);
    QWidget *strip() const { return m_strip; }
    // Where the timing commands put their buttons.
    QHBoxLayout *commandRow() const { return m_commands; }

private:
    QVBoxLayout *m_column = nullptr;
    QWidget *m_strip = nullptr;
    PlaybackBar *m_bar = nullptr;
    QHBoxLayout *m_commands = nullptr;
};

} // namespace stanzary
