#pragma once

#include <QHash>
#include <QToolBar>

class QAction;
class QMenu;
class QToolButton;

namespace stanzary {

// The toolbar's commands, one action each. An action's objectName() is the
// command's key ("Save", "MarkRedownload", "MR", ...), by which tests and
// automation find it; code uses the members. Button actions come first, in
// button order; the drop-down items follow the button they belong to.
struct MainActions
{
    QAction *save = nullptr; // button 1, with the items below
    QAction *saveItem = nullptr;
    QAction *saveAs = nullptr;
    QAction *deleteSong = nullptr;     // button 2
    QAction *markRedownload = nullptr; // button 3, a check button
    QAction *lists = nullptr;          // button 4, with the items below
    QAction *listRedownload = nullptr;
    QAction *listDeleted = nullptr;
    QAction *openInBrowser = nullptr; // button 5
    QAction *visitSite = nullptr;     // button 6
    QAction *lyrics3 = nullptr;       // button 7
    QAction *searchKaraoke = nullptr; // button 8
    QAction *joinLyrics = nullptr;    // button 9, a check button
    QAction *options = nullptr;       // button 10, with the items below
    QAction *optionsItem = nullptr;
    QAction *help = nullptr;
    QAction *legend = nullptr;
    QAction *about = nullptr;
};

// The main window's toolbar `tlbMain`: ten captioned buttons in a fixed
// order, three of them with drop-down menus, no separators. It only holds
// the actions; the window connects each to its handler.
class MainToolbar : public QToolBar
{
    Q_OBJECT

public:
    explicit MainToolbar(QWidget *parent = nullptr);

    const MainActions &actions() const { return m_actions; }

    // Opens a button's drop-down menu below it (for a button whose own
    // command is not available, so that its items stay reachable).
    void popUpMenuOf(QAction *button);

private:
    enum class Style { Plain, Check, DropDown };
    QAction *addButton(const char *key, const QString &caption, const QString &toolTip, int icon, Style style);
    QAction *addMenuItem(QAction *button, const char *key, const QString &text);

    MainActions m_actions;
    QHash<const QAction *, QToolButton *> m_buttonOf;
};

} // namespace stanzary
