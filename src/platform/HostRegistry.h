#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace stanzary {

// Where the host records its installation: the first value of a key below
// HKEY_LOCAL_MACHINE. On Windows that is the registry itself; elsewhere it is
// the registry file of the Wine prefix the host is installed in. The same
// object turns the Windows paths the host writes (registry data, the
// "[CachePath]" setting) into paths of this system.
class HostRegistry
{
public:
    virtual ~HostRegistry() = default;

    // The text of the key's first value (whatever its name), without the
    // terminating NUL. Nothing when the key does not exist, has no values, its
    // first value is not text, is empty, or does not fit the host's
    // 255-character name and data buffers (NUL included).
    virtual std::optional<QString> firstValue(const QString &keyPath) const = 0;

    // A path as the host wrote it, as a path of this system (separator "/").
    // A trailing separator is kept.
    virtual QString localPath(const QString &hostPath) const = 0;

    // Where the entry is looked for, for telling the user ("the registry
    // file ~/.wine/system.reg").
    virtual QString place() const { return QStringLiteral("the registry"); }
};

// The registry of the platform the program runs on. Elsewhere than Windows
// this reads the prefix named by $WINEPREFIX, or ~/.wine when unset, at the
// time of the call.
std::unique_ptr<HostRegistry> makeSystemRegistry();

// True for a path that starts with a drive letter ("C:\...", "d:") or is a
// network path ("\\server\share").
bool isWindowsPath(const QString &path);

// The registry file of a Wine prefix ("system.reg", the machine hive).
//
// The key is looked up ignoring case, as itself or, failing that, below
// "Software\Wow6432Node" (where a 32-bit installer writes on a 64-bit
// prefix). Values are taken in file order, which is the order in which the
// registry enumerates them. A missing or unreadable file (a named pipe, a
// folder, more than MaxRegistryFileBytes) is a missing key.
class WineRegistry : public HostRegistry
{
public:
    // prefix: the prefix folder (the one holding "system.reg" and "dosdevices").
    explicit WineRegistry(QString prefix);

    // $WINEPREFIX, or ~/.wine when it is unset or empty.
    static QString defaultPrefix();

    QString prefix() const { return m_prefix; }

    std::optional<QString> firstValue(const QString &keyPath) const override;

    // "C:\Program Files\Tunewright" becomes the same path below the drive's
    // folder in "dosdevices" ("c:", resolved to its real folder); each
    // component is matched ignoring case when the exact name does not exist.
    // "\\server\share\x" goes through "dosdevices/unc". Other paths only have
    // "\" turned into "/".
    QString localPath(const QString &hostPath) const override;
    QString place() const override;

private:
    QString m_prefix; // ends with "/"
};

// The first value of keyPath in the bytes of a registry file, with the
// Wow6432Node fallback: what WineRegistry::firstValue reads from the file.
std::optional<QString> registryFirstValue(const QByteArray &registryFile, const QString &keyPath);

} // namespace stanzary
