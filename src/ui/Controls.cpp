#include "ui/Controls.h"

#include "ui/IconSet.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace stanzary {

QLabel *makeLabel(QWidget *parent, QAnyStringView name, const QString &text, bool wrap)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wrap);
    return label;
}

QPushButton *makeButton(QWidget *parent, QAnyStringView name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QGroupBox *makeFrame(QWidget *parent, QAnyStringView name, const QString &title)
{
    auto *frame = new QGroupBox(title, parent);
    frame->setObjectName(name);
    return frame;
}

QLabel *makeIconLabel(QWidget *parent, QAnyStringView name, int image, const QString &meaning)
{
    auto *icon = new QLabel(parent);
    icon->setObjectName(name);
    icon->setAccessibleName(meaning);
    icon->setToolTip(meaning);
    icon->setPixmap(IconSet::icon(image).pixmap(16, 16));
    icon->setFixedSize(18, 18);
    return icon;
}

} // namespace stanzary
