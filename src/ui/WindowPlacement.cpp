#include "ui/WindowPlacement.h"

#include "app/Config.h"
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace stanzary {

namespace {

void keepOnAScreen(QWidget &window)
{
    const QRect frame(window.pos(), window.size());
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        if (screen->availableGeometry().intersects(frame))
            return;
    }
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        window.move(primary->availableGeometry().topLeft() + QPoint(40, 40));
}

} // namespace

void placeWindow(QWidget &window, const StoredGeometry &g)
{
    if (g.FrmMaximized) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
        return;
    }
    window.move(twipsToPixels(g.FrmLeft), twipsToPixels(g.FrmTop));
    window.resize(std::max(1, twipsToPixels(g.FrmWidth)), std::max(1, twipsToPixels(g.FrmHeight)));
    keepOnAScreen(window);
}

void readPlacement(const QWidget &window, StoredGeometry &g)
{
    g.FrmLeft = pixelsToTwips(window.pos().x());
    g.FrmTop = pixelsToTwips(window.pos().y());
    g.FrmWidth = pixelsToTwips(window.width());
    g.FrmHeight = pixelsToTwips(window.height());
    g.FrmMaximized = window.isMaximized();
}

} // namespace stanzary
