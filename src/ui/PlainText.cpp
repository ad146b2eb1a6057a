#include "ui/PlainText.h"

#include <QTextDocument>
#include <QWidget>

namespace stanzary {

QString plainToolTip(const QString &text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    // Blanks as written: two spaces in a name stay two.
    return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

void setPlainToolTip(QWidget *widget, const QString &text)
{
    widget->setToolTip(plainToolTip(text));
}

} // namespace stanzary
