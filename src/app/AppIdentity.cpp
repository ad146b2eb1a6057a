#include "app/AppIdentity.h"

#include <QCoreApplication>

namespace stanzary {

void setApplicationIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("Stanzary"));
    QCoreApplication::setOrganizationName(QStringLiteral("Zeph"));
}

} // namespace stanzary
