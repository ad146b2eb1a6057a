#include "app/Config.h"

#include "app/basMain.h"
#include "platform/HostRegistry.h"
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
double readNumber(const QSettings &store, const QString &key, double fallback)
{
    const QVariant stored = store.value(key);
    if (!stored.isValid())
        return static_cast<double>(static_cast<float>(fallback));
    return static_cast<double>(configNumber(stored.toString()).value_or(0.0F));
}

// A flag key: the stored value, the default when absent; a stored text that
// does not convert leaves flag unchanged.
void readFlag(const QSettings &store, const QString &key, bool fallback, bool &flag)
{
    const QVariant stored = store.value(key);
    if (!stored.isValid()) {
        flag = fallback;
        return;
    }
    if (const auto value = configBool(stored.toString()))
        flag = *value;
}

} // namespace

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
    const StoredGeometry defaults;
    StoredGeometry geometry;
    store.beginGroup(configGroup());
    geometry.FrmTop = readNumber(store, QStringLiteral("FrmTop"), defaults.FrmTop);
    geometry.FrmLeft = readNumber(store, QStringLiteral("FrmLeft"), defaults.FrmLeft);
    geometry.FrmWidth = readNumber(store, QStringLiteral("FrmWidth"), defaults.FrmWidth);
    geometry.FrmHeight = readNumber(store, QStringLiteral("FrmHeight"), defaults.FrmHeight);
    geometry.SplitPos = readNumber(store, QStringLiteral("SplitPos"), defaults.SplitPos);
    readFlag(store, QStringLiteral("FrmMaximized"), false, geometry.FrmMaximized);
    readFlag(store, QStringLiteral("EnableSearch"), true, state.blnEnableSearch);
    readFlag(store, QStringLiteral("RealTimeSearch"), true, state.blnRealTimeSearch);
    readFlag(store, QStringLiteral("LoadKasEditor"), true, state.blnLoadKasEditor);
    readFlag(store, QStringLiteral("CheckUnfilteredSongs"), true, state.blnCheckUnfilteredSongs);
    readFlag(store, QStringLiteral("CheckForAvaliableTimestamps"), true, state.blnCheckForAvaliableTimestamps);
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

void SaveConfig(const basMain &state, const StoredGeometry &geometry, QSettings &store)
{
    store.beginGroup(configGroup());
    store.setValue(QStringLiteral("FrmTop"), configNumberText(geometry.FrmTop));
    store.setValue(QStringLiteral("FrmLeft"), configNumberText(geometry.FrmLeft));
    store.setValue(QStringLiteral("FrmWidth"), configNumberText(geometry.FrmWidth));
    store.setValue(QStringLiteral("FrmHeight"), configNumberText(geometry.FrmHeight));
    store.setValue(QStringLiteral("SplitPos"), configNumberText(geometry.SplitPos));
    store.setValue(QStringLiteral("FrmMaximized"), configBoolText(geometry.FrmMaximized));
    store.setValue(QStringLiteral("EnableSearch"), configBoolText(state.blnEnableSearch));
    store.setValue(QStringLiteral("RealTimeSearch"), configBoolText(state.blnRealTimeSearch));
    store.setValue(QStringLiteral("LoadKasEditor"), configBoolText(state.blnLoadKasEditor));
    store.setValue(QStringLiteral("CheckUnfilteredSongs"), configBoolText(state.blnCheckUnfilteredSongs));
    store.setValue(QStringLiteral("CheckForAvaliableTimestamps"), configBoolText(state.blnCheckForAvaliableTimestamps));
    store.endGroup();
    store.sync();
}

} // namespace stanzary
