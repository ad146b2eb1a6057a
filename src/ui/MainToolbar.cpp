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

    MainActions &a = m_actions;
    a.save = addButton("Save", QStringLiteral("Save"), QStringLiteral("Edit this lyrics"), ToolbarIcon::Save,
                       Style::DropDown);
    a.saveItem = addMenuItem(a.save, "Save", QStringLiteral("Save"));
    a.saveAs = addMenuItem(a.save, "SaveAs", QStringLiteral("Save As..."));
    a.deleteSong = addButton("Delete", QStringLiteral("Delete"), QStringLiteral("Delete this Lyrics"),
                             ToolbarIcon::Delete, Style::Plain);
    a.markRedownload = addButton("MarkRedownload", QStringLiteral("+ Redown"),
                                 QStringLiteral("Mark this lyrics as needed for Redownload"),
                                 ToolbarIcon::MarkRedownload, Style::Check);
    a.lists =
        addButton("Lists", QStringLiteral("Lists"), QStringLiteral("View lyrics deleted and marked for redownload"),
                  ToolbarIcon::Lists, Style::DropDown);
    a.listRedownload = addMenuItem(a.lists, "MR", QStringLiteral("Marked for Redownload"));
    a.listDeleted = addMenuItem(a.lists, "DI", QStringLiteral("Deleted Items"));
    a.openInBrowser =
        addButton("OpenInBrowser", QStringLiteral("Browser"),
                  QStringLiteral("View this lyrics in its original webpage"), ToolbarIcon::OpenInBrowser, Style::Plain);
    a.visitSite = addButton("VisitSite", QStringLiteral("Visit Site"),
                            QStringLiteral("Visit the site where this lyrics where downloaded"), ToolbarIcon::VisitSite,
                            Style::Plain);
    a.lyrics3 = addButton("Lyrics3", QStringLiteral("Lyrics3"), QStringLiteral("Lyrics3 Tagging Utility"),
                          ToolbarIcon::Lyrics3, Style::Plain);
    a.searchKaraoke =
        addButton("SearchKaraoke", QStringLiteral("Search Kar"), QStringLiteral("Search for timestamps for this song"),
                  ToolbarIcon::SearchKaraoke, Style::Plain);
    a.joinLyrics = addButton("JoinLyrics", QStringLiteral("Join Lyrics"),
                             QStringLiteral("Click here for merging lyrics into a single file"),
                             ToolbarIcon::JoinLyrics, Style::Check);
    a.options = addButton("Options", QStringLiteral("Options"), QStringLiteral("Shows options window"),
                          ToolbarIcon::Options, Style::DropDown);
    a.optionsItem = addMenuItem(a.options, "OptionsMenu", QStringLiteral("Options"));
    m_buttonOf.value(a.options)->menu()->addAction(QStringLiteral("----- Help -----"))->setEnabled(false);
    a.help = addMenuItem(a.options, "Help", QStringLiteral("Help"));
    a.legend = addMenuItem(a.options, "Legend", QStringLiteral("Icon legend"));
    a.about = addMenuItem(a.options, "About", QStringLiteral("About..."));
}

QAction *MainToolbar::addButton(const char *key, const QString &caption, const QString &toolTip, int icon, Style style)
{
    auto *action = new QAction(IconSet::icon(icon), caption, this);
    action->setObjectName(QLatin1StringView(key));
    action->setToolTip(toolTip);
    action->setCheckable(style == Style::Check);

    auto *tool = new QToolButton(this);
    tool->setObjectName(QStringLiteral("tlbMain_") + QLatin1StringView(key));
    tool->setDefaultAction(action);
    tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tool->setAutoRaise(true);
    if (style == Style::DropDown) {
        auto *menu = new QMenu(tool);
        menu->setObjectName(QStringLiteral("menu") + QLatin1StringView(key));
        tool->setMenu(menu);
        tool->setPopupMode(QToolButton::MenuButtonPopup);
    }
    addWidget(tool);
    m_buttonOf.insert(action, tool);
    return action;
}

QAction *MainToolbar::addMenuItem(QAction *button, const char *key, const QString &text)
{
    QMenu *menu = m_buttonOf.value(button)->menu();
    auto *item = new QAction(text, menu);
    item->setObjectName(QLatin1StringView(key));
    menu->addAction(item);
    return item;
}

void MainToolbar::popUpMenuOf(QAction *button)
{
    // popup() rather than the button's own showMenu(), which would wait for
    // the menu to close.
    if (QToolButton *tool = m_buttonOf.value(button); tool && tool->menu())
        tool->menu()->popup(tool->mapToGlobal(QPoint(0, tool->height())));
}

} // namespace stanzary
