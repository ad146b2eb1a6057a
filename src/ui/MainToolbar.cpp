#include "ui/MainToolbar.h"

#include "ui/IconSet.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

namespace stanzary {

MainToolbar::MainToolbar(QWidget *parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("tlbMain"));
    setAccessibleName(QStringLiteral("Toolbar"));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(QSize(22, 22));
    setStyleSheet(QStringLiteral("QToolButton { padding: 1px 3px; }"));

    addButton(QStringLiteral("Save"), QStringLiteral("Save"), QStringLiteral("Edit this lyrics"), Style::DropDown);
    addMenuItem(menuOf(QStringLiteral("Save")), QStringLiteral("Save"), QStringLiteral("Save"));
    addMenuItem(menuOf(QStringLiteral("Save")), QStringLiteral("SaveAs"), QStringLiteral("Save As..."));

    addButton(QStringLiteral("Delete"), QStringLiteral("Delete"), QStringLiteral("Delete this Lyrics"), Style::Plain);
    addButton(QStringLiteral("MarkRedownload"), QStringLiteral("+ Redown"),
              QStringLiteral("Mark this lyrics as needed for Redownload"), Style::Check);

    addButton(QStringLiteral("Lists"), QStringLiteral("Lists"),
              QStringLiteral("View lyrics deleted and marked for redownload"), Style::DropDown);
    addMenuItem(menuOf(QStringLiteral("Lists")), QStringLiteral("MR"), QStringLiteral("Marked for Redownload"));
    addMenuItem(menuOf(QStringLiteral("Lists")), QStringLiteral("DI"), QStringLiteral("Deleted Items"));

    addButton(QStringLiteral("OpenInBrowser"), QStringLiteral("Browser"),
              QStringLiteral("View this lyrics in its original webpage"), Style::Plain);
    addButton(QStringLiteral("VisitSite"), QStringLiteral("Visit Site"),
              QStringLiteral("Visit the site where this lyrics where downloaded"), Style::Plain);
    addButton(QStringLiteral("Lyrics3"), QStringLiteral("Lyrics3"), QStringLiteral("Lyrics3 Tagging Utility"),
              Style::Plain);
    addButton(QStringLiteral("SearchKaraoke"), QStringLiteral("Search Kar"),
              QStringLiteral("Search for timestamps for this song"), Style::Plain);
    addButton(QStringLiteral("JoinLyrics"), QStringLiteral("Join Lyrics"),
              QStringLiteral("Click here for merging lyrics into a single file"), Style::Check);

    addButton(QStringLiteral("Options"), QStringLiteral("Options"), QStringLiteral("Shows options window"),
              Style::DropDown);
    QMenu *options = menuOf(QStringLiteral("Options"));
    addMenuItem(options, QStringLiteral("OptionsMenu"), QStringLiteral("Options"));
    QAction *helpLabel = options->addAction(QStringLiteral("----- Help -----"));
    helpLabel->setEnabled(false);
    addMenuItem(options, QStringLiteral("Help"), QStringLiteral("Help"));
    addMenuItem(options, QStringLiteral("Legend"), QStringLiteral("Icon legend"));
    addMenuItem(options, QStringLiteral("About"), QStringLiteral("About..."));
}

QAction *MainToolbar::addButton(const QString &key, const QString &caption, const QString &toolTip, Style style)
{
    auto *action = new QAction(IconSet::toolbarIcon(key), caption, this);
    action->setObjectName(key);
    action->setData(key);
    action->setToolTip(toolTip);
    action->setCheckable(style == Style::Check);
    connect(action, &QAction::triggered, this, [this, key](bool checked) { emit buttonClicked(key, checked); });

    auto *tool = new QToolButton(this);
    tool->setObjectName(QStringLiteral("tlbMain_") + key);
    tool->setDefaultAction(action);
    tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tool->setAccessibleName(caption);
    tool->setAutoRaise(true);
    if (style == Style::DropDown) {
        auto *menu = new QMenu(tool);
        menu->setObjectName(QStringLiteral("menu") + key);
        tool->setMenu(menu);
        tool->setPopupMode(QToolButton::MenuButtonPopup);
        m_menuByKey.insert(key, menu);
    }
    addWidget(tool);
    m_buttons.append(action);
    m_buttonByKey.insert(key, action);
    return action;
}

void MainToolbar::addMenuItem(QMenu *menu, const QString &key, const QString &text)
{
    auto *item = new QAction(text, menu);
    item->setObjectName(key);
    item->setData(key);
    menu->addAction(item);
    connect(item, &QAction::triggered, this, [this, key] { emit buttonMenuClicked(key); });
    m_itemByKey.insert(key, item);
}

QAction *MainToolbar::button(const QString &key) const
{
    return m_buttonByKey.value(key);
}

QAction *MainToolbar::buttonAt(int index) const
{
    return index >= 1 && index <= m_buttons.size() ? m_buttons.at(index - 1) : nullptr;
}

QAction *MainToolbar::menuItem(const QString &key) const
{
    return m_itemByKey.value(key);
}

QMenu *MainToolbar::menuOf(const QString &key) const
{
    return m_menuByKey.value(key);
}

void MainToolbar::setPressed(const QString &key, bool pressed)
{
    if (QAction *a = button(key))
        a->setChecked(pressed);
}

} // namespace stanzary
