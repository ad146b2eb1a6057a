#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <initializer_list>

namespace stanzary::test {

// Short ways to write the texts the tests compare.

// A text from a (UTF-8) literal.
inline QString s(const char *text)
{
    return QString::fromUtf8(text);
}

// The bytes of a literal, up to its first zero byte; bytes by their codes.
inline QByteArray bytes(const char *text)
{
    return QByteArray(text);
}
inline QByteArray bytes(std::initializer_list<int> codes)
{
    QByteArray out;
    for (const int code : codes)
        out += char(code);
    return out;
}

// Lines from literals, one each.
inline QStringList lines(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *text : list)
        out << QString::fromUtf8(text);
    return out;
}

// The lines of a program's output (CR LF or LF), empty ones left out.
inline QStringList linesOf(const QString &output)
{
    return QString(output).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n', Qt::SkipEmptyParts);
}
inline QStringList linesOf(const QByteArray &output)
{
    return linesOf(QString::fromUtf8(output));
}

// The path with every link in it resolved (empty when nothing is there).
inline QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace stanzary::test
