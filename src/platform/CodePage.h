#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace stanzary {

// The single-byte code page of the host's text files (lyrics, timestamps,
// lists, joined lyrics, settings). Windows-1252 unless the host's font
// character set selects another. Every byte value decodes to one character and
// encodes back to the same byte.
class CodePage
{
public:
    CodePage(); // Windows-1252

    // The code page that a host "[FontCharset]" value selects; unknown values
    // (0 included) give Windows-1252.
    static CodePage forFontCharset(int fontCharset);

    QString name() const { return m_name; }

    QString decode(const QByteArray &bytes) const;

    // The bytes of text, or nothing when a character has no byte in this code
    // page (the caller tells the user instead of writing "?").
    std::optional<QByteArray> encode(const QString &text) const;

    // The first character of text that this code page cannot hold, or an
    // empty string when every character fits.
    QString firstUnencodable(const QString &text) const;

private:
    explicit CodePage(QString name);
    QString m_name;
    // Byte -> character table, filled once; decoding a byte is a lookup.
    QString m_table;
    // Character -> byte, for encoding.
    QHash<char16_t, char> m_reverse;
};

} // namespace stanzary
