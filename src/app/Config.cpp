#include "app/Config.h"

#include "app/SongCommands.h"
#include "app/basMain.h"
#include "platform/HostRegistry.h"
#include "platform/MakerSite.h"
#include "store/HostStore.h"

#include <QSettings>

#include <charconv>
#include <cmath>

namespace stanzary {

namespace {

const QString &configGroup()
{
    static const QString group = QStringLiteral("Config");
    return group;
}

// A number key: its stored value as a single-precision number, the default
// when the key is absent, 0 when the stored text does not convert.
double readNumber(const QSettings &store, const ConfigKey &key)
{
    const QVariant stored = store.value(QLatin1StringView(key.name));
    if (!stored.isValid())
        return static_cast<double>(static_cast<float>(key.defaultValue));
    return static_cast<double>(configNumber(stored.toString()).value_or(0.0F));
}

// A flag key: the stored value, the default when absent; a stored text that
// does not convert leaves flag unchanged.
void readFlag(const QSettings &store, const ConfigKey &key, bool &flag)
{
    const QVariant stored = store.value(QLatin1StringView(key.name));
    if (!stored.isValid()) {
        flag = key.defaultValue != 0;
        return;
    }
    if (const auto value = configBool(stored.toString()))
        flag = *value;
}

// An address key: the stored address, the default when absent; a stored
// text that is no usable address leaves address unchanged.
void readAddress(const QSettings &store, const ConfigKey &key, QString &address)
{
    const QVariant stored = store.value(QLatin1StringView(key.name));
    if (!stored.isValid()) {
        address = key.defaultAddress;
        return;
    }
    if (const auto value = configWebAddress(stored.toString()))
        address = *value;
}

// Timing by ear: "TapDelay" (milliseconds) in the group, and the arrays
// "Mp3Folders" (Folder) and "SongAudio" (Key, File) beside it. Song keys hold
// "/" in subfolder mode, so they are values, never key names.
void readTimingSettings(basMain &state, QSettings &store)
{
    const QVariant delay = store.value(QStringLiteral("TapDelay"));
    if (const auto ms = configNumber(delay.toString()); delay.isValid() && ms)
        state.intTapDelayMs = qBound(0, qRound(*ms), basMain::kMaxTapDelayMs);
    state.Mp3Folders.clear();
    const int folders = store.beginReadArray(QStringLiteral("Mp3Folders"));
    for (int i = 0; i < folders; ++i) {
        store.setArrayIndex(i);
        const QString folder = store.value(QStringLiteral("Folder")).toString();
        if (!folder.isEmpty() && !state.Mp3Folders.contains(folder))
            state.Mp3Folders.append(folder);
    }
    store.endArray();
    state.SongAudioFiles.clear();
    const int songs = store.beginReadArray(QStringLiteral("SongAudio"));
    for (int i = 0; i < songs; ++i) {
        store.setArrayIndex(i);
        const QString key = store.value(QStringLiteral("Key")).toString();
        const QString file = store.value(QStringLiteral("File")).toString();
        if (!key.isEmpty() && !file.isEmpty())
            state.SongAudioFiles.insert(key, file);
    }
    store.endArray();
}

void writeTimingSettings(const basMain &state, QSettings &store)
{
    store.setValue(QStringLiteral("TapDelay"), QString::number(state.intTapDelayMs));
    store.remove(QStringLiteral("Mp3Folders"));
    store.beginWriteArray(QStringLiteral("Mp3Folders"), int(state.Mp3Folders.size()));
    for (int i = 0; i < state.Mp3Folders.size(); ++i) {
        store.setArrayIndex(i);
        store.setValue(QStringLiteral("Folder"), state.Mp3Folders.at(i));
    }
    store.endArray();
    store.remove(QStringLiteral("SongAudio"));
    store.beginWriteArray(QStringLiteral("SongAudio"), int(state.SongAudioFiles.size()));
    int i = 0;
    for (auto it = state.SongAudioFiles.cbegin(); it != state.SongAudioFiles.cend(); ++it, ++i) {
        store.setArrayIndex(i);
        store.setValue(QStringLiteral("Key"), it.key());
        store.setValue(QStringLiteral("File"), it.value());
    }
    store.endArray();
}

} // namespace

const QList<ConfigKey> &configKeys()
{
    using G = StoredGeometry;
    static const QList<ConfigKey> keys = {
        {"FrmTop", 1000, &G::FrmTop},
        {"FrmLeft", 1000, &G::FrmLeft},
        {"FrmWidth", 12500, &G::FrmWidth},
        {"FrmHeight", 8500, &G::FrmHeight},
        {"SplitPos", 3500, &G::SplitPos},
        {"FrmMaximized", 0, nullptr, &G::FrmMaximized},
        {"EnableSearch", 1, nullptr, nullptr, &basMain::blnEnableSearch},
        {"RealTimeSearch", 1, nullptr, nullptr, &basMain::blnRealTimeSearch},
        {"LoadKasEditor", 1, nullptr, nullptr, &basMain::blnLoadKasEditor},
        {"CheckUnfilteredSongs", 1, nullptr, nullptr, &basMain::blnCheckUnfilteredSongs},
        {"CheckForAvaliableTimestamps", 1, nullptr, nullptr, &basMain::blnCheckForAvaliableTimestamps},
        {"WriteId3v2Lyrics", 0, nullptr, nullptr, &basMain::blnWriteId3v2Lyrics},
        {"WriteLrcFiles", 0, nullptr, nullptr, &basMain::blnWriteLrcFiles},
        {"MakerSite", 0, nullptr, nullptr, nullptr, &basMain::strMakerSite, makerSite()},
    };
    return keys;
}

StoredGeometry StoredGeometry::defaults()
{
    StoredGeometry g;
    for (const ConfigKey &key : configKeys()) {
        if (key.number)
            g.*key.number = key.defaultValue;
        else if (key.geometryFlag)
            g.*key.geometryFlag = key.defaultValue != 0;
    }
    return g;
}

QString configBoolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString configNumberText(double value)
{
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value), std::chars_format::fixed);
    if (result.ec != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

std::optional<bool> configBool(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1StringView("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1StringView("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = t.toDouble(&ok);
    if (!ok || std::isnan(number))
        return std::nullopt;
    return number != 0;
}

std::optional<float> configNumber(const QString &text)
{
    bool ok = false;
    const float number = text.trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

std::optional<QString> configWebAddress(const QString &text)
{
    QString address = text.trimmed();
    while (address.endsWith(u'/'))
        address.chop(1);
    const std::optional<QUrl> url = webAddress(address);
    if (!url || url->hasQuery() || url->hasFragment())
        return std::nullopt;
    return address;
}

std::unique_ptr<QSettings> openConfigStore()
{
    return std::make_unique<QSettings>(QStringLiteral("Zeph"), QStringLiteral("Zeph"));
}

StoredGeometry LoadConfig(basMain &state)
{
    const auto store = openConfigStore();
    return LoadConfig(state, *store, *makeSystemRegistry());
}

StoredGeometry LoadConfig(basMain &state, QSettings &store, const HostRegistry &registry)
{
    StoredGeometry geometry = StoredGeometry::defaults();
    store.beginGroup(configGroup());
    for (const ConfigKey &key : configKeys()) {
        if (key.number)
            geometry.*key.number = readNumber(store, key);
        else if (key.geometryFlag)
            readFlag(store, key, geometry.*key.geometryFlag);
        else if (key.option)
            readFlag(store, key, state.*key.option);
        else
            readAddress(store, key, state.*key.address);
    }
    readTimingSettings(state, store);
    store.endGroup();

    // Scans follow the availability option as it stood at start.
    state.blnCheckTimestampsAtStart = state.blnCheckForAvaliableTimestamps;
    ReadHostSettings(state, registry);
    return geometry;
}

void SaveConfig(const basMain &state, const StoredGeometry &geometry)
{
    const auto store = openConfigStore();
    SaveConfig(state, geometry, *store);
}

void SaveTimingSettings(const basMain &state)
{
    const auto store = openConfigStore();
    store->beginGroup(configGroup());
    writeTimingSettings(state, *store);
    store->endGroup();
    store->sync();
}

void SaveConfig(const basMain &state, const StoredGeometry &geometry, QSettings &store)
{
    store.beginGroup(configGroup());
    for (const ConfigKey &key : configKeys()) {
        const QString name = QLatin1StringView(key.name);
        if (key.number)
            store.setValue(name, configNumberText(geometry.*key.number));
        else if (key.geometryFlag)
            store.setValue(name, configBoolText(geometry.*key.geometryFlag));
        else if (key.option)
            store.setValue(name, configBoolText(state.*key.option));
        // Addresses are only read: the program never changes them, and
        // writing one back would copy a system-wide setting or the shipped
        // default into the user's settings for good.
    }
    writeTimingSettings(state, store);
    store.endGroup();
    store.sync();
}

} // namespace stanzary
