#pragma once

#include <QString>

namespace stanzary {

// The maker's web site address. Every web path the program opens (karaoke
// search, help, FAQ, update news) and the tag credit line follow it; a
// distributor replaces this one constant with the real address.
inline QString makerSite()
{
    return QStringLiteral("http://www.quarvex.example");
}

} // namespace stanzary
