#include "platform/HostRegistry.h"

#include "platform/RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace stanzary {

namespace {

// The host reads the first value into name and data buffers of 255
// characters each; the terminating NUL must fit as well.
constexpr qsizetype HostBufferChars = 255;

// Registry value types that hold text.
constexpr int RegSz = 1;
constexpr int RegExpandSz = 2;

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

struct Parsed
{
    QString text;
    qsizetype next = 0; // position just after the closing character
};

// Reads an escaped string of a Wine registry file from pos up to the
// unescaped character end: "\\" and "\"" stand for themselves, \n, \t and
// the other C escapes for control characters, \x followed by up to four hex
// digits and \ followed by up to three octal digits for a character code.
// Nothing when end does not follow.
std::optional<Parsed> parseEscaped(const QString &line, qsizetype pos, QChar end)
{
    QString out;
    while (pos < line.size()) {
        const QChar c = line.at(pos);
        if (c == end)
            return Parsed{out, pos + 1};
        if (c != u'\\' || pos + 1 >= line.size()) {
            out += c;
            ++pos;
            continue;
        }
        const QChar e = line.at(++pos);
        switch (e.unicode()) {
        case u'a':
            out += QChar(0x07);
            ++pos;
            break;
        case u'b':
            out += QChar(0x08);
            ++pos;
            break;
        case u'e':
            out += QChar(0x1b);
            ++pos;
            break;
        case u'f':
            out += QChar(0x0c);
            ++pos;
            break;
        case u'n':
            out += QChar(0x0a);
            ++pos;
            break;
        case u'r':
            out += QChar(0x0d);
            ++pos;
            break;
        case u't':
            out += QChar(0x09);
            ++pos;
            break;
        case u'v':
            out += QChar(0x0b);
            ++pos;
            break;
        case u'x': {
            ++pos;
            char16_t code = 0;
            for (int n = 0; n < 4 && pos < line.size() && hexDigit(line.at(pos)) >= 0; ++n, ++pos)
                code = static_cast<char16_t>(code * 16 + hexDigit(line.at(pos)));
            out += QChar(code);
            break;
        }
        default:
            if (e >= u'0' && e <= u'7') {
                char16_t code = 0;
                for (int n = 0; n < 3 && pos < line.size() && line.at(pos) >= u'0' && line.at(pos) <= u'7'; ++n, ++pos)
                    code = static_cast<char16_t>(code * 8 + (line.at(pos).unicode() - u'0'));
                out += QChar(code);
            } else {
                out += e;
                ++pos;
            }
        }
    }
    return std::nullopt;
}

// A value as the registry holds it: its name, its type and, for text types,
// its characters including the terminating NUL when the data has one.
struct RegValue
{
    QString name;
    int type = 0;
    QString data;
};

// The number written in hex between "(" and ")" at pos ("str(2):", "hex(1):"),
// and the position after the ":" that follows it.
std::optional<std::pair<int, qsizetype>> parseTypeNumber(const QString &line, qsizetype pos)
{
    if (pos >= line.size() || line.at(pos) != u'(')
        return std::nullopt;
    const qsizetype close = line.indexOf(u')', pos);
    if (close < 0 || close + 1 >= line.size() || line.at(close + 1) != u':')
        return std::nullopt;
    bool ok = false;
    const int type = line.mid(pos + 1, close - pos - 1).toInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return std::pair{type, close + 2};
}

// The lines of a registry file, decoded one at a time so that a large file
// is never held twice. A line ends with LF; a CR before it is dropped.
class RegistryLines
{
public:
    explicit RegistryLines(const QByteArray &bytes) : m_bytes(bytes) {}

    // The next line, or nothing at the end of the file.
    std::optional<QString> next()
    {
        if (m_pos >= m_bytes.size())
            return std::nullopt;
        qsizetype end = m_bytes.indexOf('\n', m_pos);
        const qsizetype after = end < 0 ? m_bytes.size() : end + 1;
        if (end < 0)
            end = m_bytes.size();
        if (end > m_pos && m_bytes.at(end - 1) == '\r')
            --end;
        QString line = QString::fromUtf8(m_bytes.constData() + m_pos, end - m_pos);
        m_pos = after;
        return line;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_pos = 0;
};

// The bytes of a "hex:" list: two-digit values separated by commas, continued
// on the next lines while a line ends with "\". The lines used are taken
// from lines.
QByteArray parseHexList(const QString &first, RegistryLines &lines, qsizetype pos)
{
    QByteArray bytes;
    QString line = first;
    for (;;) {
        QString rest = line.mid(pos).trimmed();
        const bool continued = rest.endsWith(u'\\');
        if (continued)
            rest.chop(1);
        const QStringList items = rest.split(u',', Qt::SkipEmptyParts);
        for (const QString &item : items) {
            bool ok = false;
            const int value = item.trimmed().toInt(&ok, 16);
            if (ok && value >= 0 && value <= 0xff)
                bytes.append(static_cast<char>(value));
        }
        if (!continued)
            return bytes;
        auto more = lines.next();
        if (!more)
            return bytes;
        line = std::move(*more);
        pos = 0;
    }
}

QString fromUtf16Le(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes.at(i));
        const auto hi = static_cast<unsigned char>(bytes.at(i + 1));
        out += QChar(static_cast<char16_t>(lo | (hi << 8)));
    }
    return out;
}

// One value line ('@=...' or '"name"=...'); the continued lines of a hex
// list are taken from lines. Nothing when the line is not a value.
std::optional<RegValue> parseValue(const QString &line, RegistryLines &lines)
{
    RegValue value;
    qsizetype pos = 0;
    if (line.startsWith(u'@')) {
        pos = 1;
    } else if (line.startsWith(u'"')) {
        const auto name = parseEscaped(line, 1, u'"');
        if (!name)
            return std::nullopt;
        value.name = name->text;
        pos = name->next;
    } else {
        return std::nullopt;
    }
    if (pos >= line.size() || line.at(pos) != u'=')
        return std::nullopt;
    ++pos;

    const QStringView data = QStringView(line).mid(pos);
    if (data.startsWith(u'"') || data.startsWith(u"str(")) {
        value.type = RegSz;
        if (data.startsWith(u"str(")) {
            const auto type = parseTypeNumber(line, pos + 3);
            if (!type)
                return std::nullopt;
            value.type = type->first;
            pos = type->second;
        }
        if (pos >= line.size() || line.at(pos) != u'"')
            return std::nullopt;
        const auto text = parseEscaped(line, pos + 1, u'"');
        if (!text)
            return std::nullopt;
        value.data = text->text + QChar(0); // the file leaves out the final NUL
    } else if (data.startsWith(u"hex(")) {
        const auto type = parseTypeNumber(line, pos + 3);
        if (!type)
            return std::nullopt;
        value.type = type->first;
        value.data = fromUtf16Le(parseHexList(line, lines, type->second));
    } else {
        value.type = 0; // dword:, hex: and the like hold no text
    }
    return value;
}

// The host's reading of a value: text types only, the NUL-terminated text,
// name and data within the host's buffers, empty data = nothing.
std::optional<QString> hostText(const RegValue &value)
{
    if (value.type != RegSz && value.type != RegExpandSz)
        return std::nullopt;
    if (value.name.size() + 1 > HostBufferChars)
        return std::nullopt;
    QString text = value.data;
    const qsizetype nul = text.indexOf(QChar(0));
    const qsizetype dataChars = nul < 0 ? text.size() : nul + 1;
    if (dataChars > HostBufferChars)
        return std::nullopt;
    if (nul >= 0)
        text.truncate(nul);
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

// The first value of keyPath in a registry file, as the host would read it.
std::optional<QString> firstValueIn(const QByteArray &file, const QString &keyPath)
{
    RegistryLines lines(file);
    bool inKey = false;
    while (const auto next = lines.next()) {
        const QString &line = *next;
        if (line.startsWith(u'[')) {
            if (inKey)
                return std::nullopt; // the key has no values
            const auto name = parseEscaped(line, 1, u']');
            inKey = name && name->text.compare(keyPath, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inKey)
            continue;
        if (const auto value = parseValue(line, lines))
            return hostText(*value);
    }
    return std::nullopt;
}

// name in dir, matched ignoring case when the exact name does not exist (any
// kind of entry, broken links included). Empty when there is none.
QString entryIgnoringCase(const QString &dir, const QString &name)
{
    if (QFileInfo(dir + u'/' + name).exists() || QFileInfo(dir + u'/' + name).isSymLink())
        return name;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

} // namespace

bool isWindowsPath(const QString &path)
{
    if (path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter() && path.at(0).unicode() < 128)
        return path.size() == 2 || path.at(2) == u'\\' || path.at(2) == u'/';
    return path.startsWith(u"\\\\");
}

WineRegistry::WineRegistry(QString prefix) : m_prefix(std::move(prefix))
{
    if (!m_prefix.endsWith(u'/'))
        m_prefix += u'/';
}

QString WineRegistry::defaultPrefix()
{
    const QString fromEnvironment = qEnvironmentVariable("WINEPREFIX");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QDir::homePath() + QStringLiteral("/.wine");
}

QString WineRegistry::place() const
{
    return QStringLiteral("the registry file ") + m_prefix + QStringLiteral("system.reg");
}

std::optional<QString> registryFirstValue(const QByteArray &registryFile, const QString &keyPath)
{
    if (auto value = firstValueIn(registryFile, keyPath))
        return value;
    const QString software = QStringLiteral("Software\\");
    if (!keyPath.startsWith(software, Qt::CaseInsensitive))
        return std::nullopt;
    return firstValueIn(registryFile, software + QStringLiteral("Wow6432Node\\") + keyPath.mid(software.size()));
}

std::optional<QString> WineRegistry::firstValue(const QString &keyPath) const
{
    const FileContent file = readRegularFile(m_prefix + QStringLiteral("system.reg"), MaxRegistryFileBytes);
    if (!file.ok())
        return std::nullopt;
    return registryFirstValue(file.bytes, keyPath);
}

QString WineRegistry::localPath(const QString &hostPath) const
{
    QString path = hostPath;
    path.replace(u'\\', u'/');
    if (!isWindowsPath(hostPath))
        return path;
    const bool trailing = path.endsWith(u'/');
    const QString devices = m_prefix + QStringLiteral("dosdevices");

    QString root;
    QString rest;
    if (path.startsWith(u"//")) {
        root = devices + u'/' + QStringLiteral("unc");
        rest = path.mid(2);
    } else {
        const QString drive = path.left(1).toLower() + u':';
        const QString found = entryIgnoringCase(devices, drive);
        root = devices + u'/' + (found.isEmpty() ? drive : found);
        rest = path.mid(2);
    }
    const QString real = QFileInfo(root).canonicalFilePath();
    QString out = real.isEmpty() ? root : real;

    bool resolving = !real.isEmpty();
    const QStringList parts = rest.split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const QString found = resolving ? entryIgnoringCase(out, part) : QString();
        resolving = !found.isEmpty();
        // A drive mapped to the file-system root (Wine's "z:") must not give
        // "//home/...", which URLs and some tools read as a network path.
        if (!out.endsWith(u'/'))
            out += u'/';
        out += resolving ? found : part;
    }
    if (trailing && !out.endsWith(u'/'))
        out += u'/';
    return out;
}

#ifdef Q_OS_WIN
namespace {

// The registry itself; the host is a 32-bit program, so its key may also sit
// in the 32-bit view of a 64-bit system.
class WindowsRegistry : public HostRegistry
{
public:
    std::optional<QString> firstValue(const QString &keyPath) const override
    {
        for (const REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_32KEY)}) {
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, reinterpret_cast<LPCWSTR>(keyPath.utf16()), 0, KEY_READ | view, &key)
                != ERROR_SUCCESS)
                continue;
            wchar_t name[HostBufferChars];
            DWORD nameChars = HostBufferChars;
            wchar_t data[HostBufferChars];
            DWORD dataBytes = sizeof data;
            DWORD type = 0;
            const LONG rc =
                RegEnumValueW(key, 0, name, &nameChars, nullptr, &type, reinterpret_cast<LPBYTE>(data), &dataBytes);
            RegCloseKey(key);
            if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
                continue;
            QString text = QString::fromWCharArray(data, dataBytes / sizeof(wchar_t));
            if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
                text.truncate(nul);
            if (!text.isEmpty())
                return text;
        }
        return std::nullopt;
    }

    QString localPath(const QString &hostPath) const override { return QDir::fromNativeSeparators(hostPath); }
};

} // namespace

std::unique_ptr<HostRegistry> makeSystemRegistry()
{
    return std::make_unique<WindowsRegistry>();
}
#else
std::unique_ptr<HostRegistry> makeSystemRegistry()
{
    return std::make_unique<WineRegistry>(WineRegistry::defaultPrefix());
}
#endif

} // namespace stanzary
