#pragma once

#include <QIconEngine>
#include <QString>

namespace stanzary {

// Draws one SVG file (usually a resource) at whatever size and pixel ratio a
// view asks for, so icons stay sharp at 16 px and on HiDPI screens. Disabled
// icons are derived from the normal rendering through the style. An SVG that
// cannot be read draws nothing (empty pixmaps), it never throws.
class SvgIconEngine : public QIconEngine
{
public:
    explicit SvgIconEngine(const QString &svgPath);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;
    bool isNull() override;

    QString path() const { return m_path; }

private:
    QPixmap render(const QSize &size, QIcon::Mode mode) const;

    QString m_path;
};

} // namespace stanzary
