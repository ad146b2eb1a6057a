#include "ui/SvgIconEngine.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

namespace stanzary {

SvgIconEngine::SvgIconEngine(const QString &svgPath) : m_path(svgPath) {}

QPixmap SvgIconEngine::render(const QSize &size, QIcon::Mode mode) const
{
    if (size.isEmpty())
        return QPixmap();
    const QString cacheKey = QStringLiteral("stanzary-svg:") + m_path + u':' + QString::number(size.width()) + u'x'
                             + QString::number(size.height()) + u':' + QString::number(int(mode));
    QPixmap cached;
    if (QPixmapCache::find(cacheKey, &cached))
        return cached;

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(m_path);
    if (renderer.isValid()) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        // Keep the drawing square and centred when asked for a non-square size.
        const int side = qMin(size.width(), size.height());
        const QRect target((size.width() - side) / 2, (size.height() - side) / 2, side, side);
        renderer.render(&painter, target);
    }
    QPixmap pixmap = QPixmap::fromImage(image);

    if (mode == QIcon::Disabled || mode == QIcon::Selected || mode == QIcon::Active) {
        if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance())) {
            QStyleOption option;
            option.palette = QApplication::palette();
            pixmap = app->style()->generatedIconPixmap(mode, pixmap, &option);
        }
    }
    QPixmapCache::insert(cacheKey, pixmap);
    return pixmap;
}

void SvgIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State)
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap pm = render(rect.size() * ratio, mode);
    pm.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect, pm);
}

QPixmap SvgIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State)
{
    return render(size, mode);
}

QIconEngine *SvgIconEngine::clone() const
{
    return new SvgIconEngine(m_path);
}

QString SvgIconEngine::key() const
{
    return QStringLiteral("StanzarySvgIconEngine");
}

bool SvgIconEngine::isNull()
{
    return !QFile::exists(m_path);
}

} // namespace stanzary
