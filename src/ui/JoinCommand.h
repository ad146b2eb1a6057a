#pragma once

#include "ui/SongbookCommand.h"

#include <QObject>

class QAction;

namespace stanzary {

class basMain;
class NodeTreeModel;
class SongDetailsView;
class UserDialogs;

// The toolbar's check button "Join Lyrics". Its first press shows check
// boxes in the tree (ticking an artist ticks its songs, which the main window
// wires) and tells the user what to do; the second press hides them, lets
// the tree repaint once, joins the checked songs into one file in the
// host's folder (JoinCheckedLyrics) and offers to open it, or to print the
// songs or save them as a PDF songbook (SongbookCommand). Works on the
// state, model, details view and action it is given, none of which it owns;
// the songbook's boxes belong to parent when it is a window.
class JoinCommand : public QObject
{
    Q_OBJECT

public:
    JoinCommand(basMain &state, UserDialogs &dialogs, NodeTreeModel &model, const SongDetailsView &details,
                QAction &joinLyrics, QObject *parent = nullptr);

    // The button was clicked; pressed is its state after the click.
    void JoinLyrics(bool pressed);

private:
    void setCaption(const QString &caption);
    void startSelecting();
    void join();
    // True when the shown song is among the checked ones and its box holds
    // edits that are not saved: its file is joined as saved.
    bool joinsUnsavedEdits() const;

    basMain &m_state;
    UserDialogs &m_dialogs;
    NodeTreeModel &m_model;
    const SongDetailsView &m_details;
    QAction &m_action;
    SongbookCommand m_songbook;
};

} // namespace stanzary
