#pragma once

#include <QHash>
#include <QToolBar>

class QAction;
class QMenu;
class QToolButton;

namespace stanzary {

// The main window's toolbar `tlbMain`: ten buttons in a fixed order, each
// known by its key (compared exactly), three of them with drop-down menus.
// Clicks are reported by key; the toolbar itself does nothing with them.
class MainToolbar : public QToolBar
{
    Q_OBJECT

public:
    explicit MainToolbar(QWidget *parent = nullptr);

    // The button's action by key ("Save", "Delete", ...), or nullptr.
    QAction *button(const QString &key) const;
    // The button's action by position, 1 to 10.
    QAction *buttonAt(int index) const;
    // A drop-down item by key ("SaveAs", "MR", "Help", ...), or nullptr.
    QAction *menuItem(const QString &key) const;
    // The drop-down menu of a button ("Save", "Lists", "Options"), or nullptr.
    QMenu *menuOf(const QString &key) const;

    // Sets a check button's pressed state without reporting a click.
    void setPressed(const QString &key, bool pressed);

signals:
    // A button was clicked; checked is its pressed state after the click.
    void buttonClicked(const QString &key, bool checked);
    // A drop-down item was chosen.
    void buttonMenuClicked(const QString &key);

private:
    enum class Style { Plain, Check, DropDown };
    QAction *addButton(const QString &key, const QString &caption, const QString &toolTip, Style style);
    void addMenuItem(QMenu *menu, const QString &key, const QString &text);

    QList<QAction *> m_buttons;
    QHash<QString, QAction *> m_buttonByKey;
    QHash<QString, QAction *> m_itemByKey;
    QHash<QString, QMenu *> m_menuByKey;
};

} // namespace stanzary
