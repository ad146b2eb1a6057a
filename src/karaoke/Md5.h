#pragma once

#include <QByteArray>
#include <QString>

#include <array>

namespace stanzary {

// The 16 bytes of a standard MD5 digest (RFC 1321), in the usual order: word
// A, B, C, D, each least significant byte first.
using Md5Digest = std::array<quint8, 16>;

// The MD5 digest of bytes, exactly as RFC 1321 defines it.
Md5Digest md5Digest(const QByteArray &bytes);

// text lower-cased character by character with the simple Unicode mapping,
// so that it keeps its length in UTF-16 units ("\u0130" gives "i", not "i"
// and a combining dot). A character beyond the BMP maps within its plane.
QString lowerCaseOneToOne(const QString &text);

// The bytes a name is digested over: the name lower-cased one to one
// (lowerCaseOneToOne), then one byte per UTF-16 code unit, namely its low
// byte (U+00E9 gives 0xE9, U+0142 gives 0x42). The byte count equals the
// name's length.
QByteArray md5MessageBytes(const QString &sMessage);

// A digest written as 48 decimal digits: three per byte, "000" to "255".
QString decimalDigest(const Md5Digest &digest);

// The digest that keys the karaoke index. Holds no state: calls on one
// instance never influence each other, and any number may be made.
class clsMD5Hash
{
public:
    // 48 decimal digits of the MD5 digest of sMessage's message bytes
    // (md5MessageBytes). Every text is accepted; "" digests zero bytes.
    QString MD5(const QString &sMessage) const;

    // The raw digest of sMessage's message bytes, for callers that need bytes
    // rather than digits.
    Md5Digest digest(QStringView sMessage) const;
};

// Same as clsMD5Hash().MD5(sMessage).
QString MD5(const QString &sMessage);

} // namespace stanzary
