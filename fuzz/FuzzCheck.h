#pragma once

// What the fuzz targets share: a failed expectation aborts, so that
// libFuzzer reports it with the input that caused it.

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace stanzary::fuzz {

inline void check(bool ok)
{
    if (!ok)
        std::abort();
}

inline QByteArray bytesOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// The character sets the host's settings can name (0: the default).
inline constexpr int FontCharsets[] = {0, 204, 238, 161, 162, 177, 178, 186, 163, 222};

} // namespace stanzary::fuzz
