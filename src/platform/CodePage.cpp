#include "platform/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace stanzary {

namespace {

QString codecNameFor(int fontCharset)
{
    switch (fontCharset) {
    case 204: return QStringLiteral("windows-1251");
    case 238: return QStringLiteral("windows-1250");
    case 161: return QStringLiteral("windows-1253");
    case 162: return QStringLiteral("windows-1254");
    case 177: return QStringLiteral("windows-1255");
    case 178: return QStringLiteral("windows-1256");
    case 186: return QStringLiteral("windows-1257");
    case 163: return QStringLiteral("windows-1258");
    case 222: return QStringLiteral("windows-874");
    default: return QStringLiteral("windows-1252");
    }
}

// Decodes every byte value once. A byte that the converter leaves undefined
// (0x81 in Windows-1252, for example) keeps its value as a C1 control
// character, so that every byte still round-trips.
QString buildTable(const QString &name)
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    QStringDecoder decoder(name.toLatin1().constData(), QStringDecoder::Flag::Stateless);
    // All bytes in one call (opening the converter costs far more than the
    // bytes); one by one only if that does not give one character per byte.
    QString table = decoder.isValid() ? decoder.decode(all) : QString();
    if (table.size() == 256) {
        for (int i = 0; i < 256; ++i) {
            if (table.at(i) == QChar::ReplacementCharacter)
                table[i] = QChar(static_cast<char16_t>(i));
        }
        return table;
    }
    table = QString(256, QChar(0));
    for (int i = 0; i < 256; ++i) {
        QString one = decoder.isValid() ? decoder.decode(all.mid(i, 1)) : QString();
        if (one.size() == 1 && one.at(0) != QChar::ReplacementCharacter)
            table[i] = one.at(0);
        else
            table[i] = QChar(static_cast<char16_t>(i));
    }
    return table;
}

} // namespace

CodePage::CodePage() : CodePage(QStringLiteral("windows-1252")) {}

CodePage::CodePage(QString name) : m_name(std::move(name)), m_table(buildTable(m_name))
{
    m_reverse.reserve(256);
    for (int i = 255; i >= 0; --i) // lowest byte wins when two bytes share a character
        m_reverse.insert(m_table.at(i).unicode(), static_cast<char>(i));
}

CodePage CodePage::forFontCharset(int fontCharset)
{
    return CodePage(codecNameFor(fontCharset));
}

QString CodePage::decode(const QByteArray &bytes) const
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    const QChar *table = m_table.constData();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = table[static_cast<unsigned char>(bytes[i])];
    return out;
}

std::optional<QByteArray> CodePage::encode(const QString &text) const
{
    QByteArray out;
    out.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto it = m_reverse.constFind(text.at(i).unicode());
        if (it == m_reverse.constEnd())
            return std::nullopt;
        out[i] = it.value();
    }
    return out;
}

QString CodePage::firstUnencodable(const QString &text) const
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (m_table.contains(c))
            continue;
        // A character beyond the BMP is named whole, not by half a pair.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            return text.mid(i, 2);
        return QString(c);
    }
    return QString();
}

} // namespace stanzary
