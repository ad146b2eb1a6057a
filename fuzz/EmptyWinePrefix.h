#pragma once

// A Wine prefix with only an empty C: drive, made once per fuzz process, for
// the targets that translate Windows paths.

#include "platform/HostRegistry.h"

#include <QDir>
#include <QTemporaryDir>

namespace stanzary::fuzz {

inline const WineRegistry &emptyWinePrefix()
{
    static QTemporaryDir prefix;
    static const WineRegistry wine = [] {
        QDir(prefix.path()).mkpath(QStringLiteral("dosdevices/c:"));
        return WineRegistry(prefix.path());
    }();
    return wine;
}

} // namespace stanzary::fuzz
