#pragma once

// The benchmarks' command-line options.

#include <QString>
#include <QStringList>

namespace stanzary::bench {

// The number after the option name in args ("--songs 2000"), or fallback
// when the option is not there.
inline int argValue(const QStringList &args, const QString &name, int fallback)
{
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
}

} // namespace stanzary::bench
