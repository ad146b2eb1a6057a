#pragma once

#include <QString>

namespace stanzary {

// The maker's web site address as the program ships it: the default of the
// configuration key "MakerSite" (basMain::strMakerSite), which every web path
// the program opens (karaoke search, help, FAQ, update news) and the tag
// credit line follow. A distributor replaces this one constant, or sets the
// key in the system-wide configuration.
inline QString makerSite()
{
    return QStringLiteral("http://www.quarvex.example");
}

} // namespace stanzary
