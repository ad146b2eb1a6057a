#include "app/Config.h"
#include "app/basMain.h"
#include "platform/MakerSite.h"

#include "FakeInstallation.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

void storeRaw(const QString &key, const QString &text)
{
    const auto store = openConfigStore();
    store->setValue(QStringLiteral("Config/") + key, text);
    store->sync();
}

QString storedText(const QString &key)
{
    return openConfigStore()->value(QStringLiteral("Config/") + key).toString();
}

const ConfigKey &keyNamed(const QString &name)
{
    for (const ConfigKey &key : configKeys()) {
        if (name == QLatin1StringView(key.name))
            return key;
    }
    qFatal("no configuration key %s", qPrintable(name));
}

bool &flagOf(basMain &state, const QString &key)
{
    return state.*keyNamed(key).option;
}

double numberOf(const StoredGeometry &g, const QString &key)
{
    return g.*keyNamed(key).number;
}

} // namespace

class tst_Config : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        const auto store = openConfigStore();
        store->clear();
        store->sync();
    }

    void storeIsZephConfig()
    {
        const auto store = openConfigStore();
        QVERIFY2(store->fileName().endsWith(QLatin1StringView("/Zeph/Zeph.conf")), qPrintable(store->fileName()));
        QVERIFY(!store->fileName().startsWith(QStandardPaths::writableLocation(QStandardPaths::HomeLocation)
                                              + QStringLiteral("/.config/")));
    }

    void firstStartGivesDefaults()
    {
        basMain state;
        state.blnEnableSearch = state.blnRealTimeSearch = state.blnLoadKasEditor = false;
        state.blnCheckUnfilteredSongs = state.blnCheckForAvaliableTimestamps = state.blnCheckTimestampsAtStart = false;
        state.blnWriteId3v2Lyrics = state.blnWriteLrcFiles = true;
        const StoredGeometry g = LoadConfig(state);
        QCOMPARE(g.FrmTop, 1000.0);
        QCOMPARE(g.FrmLeft, 1000.0);
        QCOMPARE(g.FrmWidth, 12500.0);
        QCOMPARE(g.FrmHeight, 8500.0);
        QCOMPARE(g.SplitPos, 3500.0);
        QCOMPARE(g.FrmMaximized, false);
        QVERIFY(state.blnEnableSearch && state.blnRealTimeSearch && state.blnLoadKasEditor);
        QVERIFY(state.blnCheckUnfilteredSongs && state.blnCheckForAvaliableTimestamps
                && state.blnCheckTimestampsAtStart);
        QVERIFY(!state.blnWriteId3v2Lyrics && !state.blnWriteLrcFiles);
    }

    void savedValuesComeBackAsText()
    {
        basMain state;
        state.blnEnableSearch = false;
        state.blnLoadKasEditor = false;
        state.blnCheckForAvaliableTimestamps = false;
        state.blnWriteId3v2Lyrics = true;
        state.blnWriteLrcFiles = true;
        StoredGeometry g;
        g.FrmTop = 1234.5;
        g.FrmLeft = -30;
        g.FrmWidth = 9000;
        g.FrmHeight = 7000.25;
        g.SplitPos = 3000.0 + 1.0 / 3.0;
        g.FrmMaximized = true;
        SaveConfig(state, g);

        QCOMPARE(storedText(QStringLiteral("FrmTop")), QStringLiteral("1234.5"));
        QCOMPARE(storedText(QStringLiteral("FrmLeft")), QStringLiteral("-30"));
        QCOMPARE(storedText(QStringLiteral("SplitPos")), QStringLiteral("3000.3333"));
        QCOMPARE(storedText(QStringLiteral("FrmMaximized")), QStringLiteral("True"));
        QCOMPARE(storedText(QStringLiteral("EnableSearch")), QStringLiteral("False"));
        QCOMPARE(storedText(QStringLiteral("RealTimeSearch")), QStringLiteral("True"));
        QCOMPARE(storedText(QStringLiteral("CheckForAvaliableTimestamps")), QStringLiteral("False"));
        QCOMPARE(storedText(QStringLiteral("WriteId3v2Lyrics")), QStringLiteral("True"));
        QCOMPARE(storedText(QStringLiteral("WriteLrcFiles")), QStringLiteral("True"));

        basMain loaded;
        const StoredGeometry back = LoadConfig(loaded);
        QCOMPARE(back.FrmTop, 1234.5);
        QCOMPARE(back.FrmLeft, -30.0);
        QCOMPARE(back.FrmWidth, 9000.0);
        QCOMPARE(back.FrmHeight, 7000.25);
        QCOMPARE(back.SplitPos, static_cast<double>(static_cast<float>(g.SplitPos)));
        QCOMPARE(back.FrmMaximized, true);
        QCOMPARE(loaded.blnEnableSearch, false);
        QCOMPARE(loaded.blnRealTimeSearch, true);
        QCOMPARE(loaded.blnLoadKasEditor, false);
        QCOMPARE(loaded.blnCheckUnfilteredSongs, true);
        QCOMPARE(loaded.blnCheckForAvaliableTimestamps, false);
        QCOMPARE(loaded.blnCheckTimestampsAtStart, false);
        QCOMPARE(loaded.blnWriteId3v2Lyrics, true);
        QCOMPARE(loaded.blnWriteLrcFiles, true);
    }

    void storedNumbers_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("expected");
        QTest::newRow("text") << QStringLiteral("FrmTop") << QStringLiteral("abc") << 0.0;
        QTest::newRow("empty") << QStringLiteral("FrmLeft") << QString() << 0.0;
        QTest::newRow("not a number") << QStringLiteral("FrmWidth") << QStringLiteral("nan") << 0.0;
        QTest::newRow("infinite") << QStringLiteral("FrmHeight") << QStringLiteral("inf") << 0.0;
        QTest::newRow("beyond single precision") << QStringLiteral("SplitPos") << QStringLiteral("1e39") << 0.0;
        QTest::newRow("exponent") << QStringLiteral("FrmTop") << QStringLiteral("1.5e3") << 1500.0;
        QTest::newRow("blanks") << QStringLiteral("FrmLeft") << QStringLiteral(" 42 ") << 42.0;
        QTest::newRow("rounded to single precision")
            << QStringLiteral("SplitPos") << QStringLiteral("0.1") << static_cast<double>(0.1F);
    }
    void storedNumbers()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(double, expected);
        storeRaw(key, stored);
        basMain state;
        const StoredGeometry g = LoadConfig(state);
        QCOMPARE(numberOf(g, key), expected);
        if (key != QLatin1StringView("FrmWidth"))
            QCOMPARE(g.FrmWidth, 12500.0); // the others keep their defaults
    }

    void storedFlags_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("expected");
        const QString avail = QStringLiteral("CheckForAvaliableTimestamps");
        QTest::newRow("False") << QStringLiteral("EnableSearch") << QStringLiteral("False") << true << false;
        QTest::newRow("any case") << QStringLiteral("RealTimeSearch") << QStringLiteral("fALSE") << true << false;
        QTest::newRow("True") << QStringLiteral("LoadKasEditor") << QStringLiteral("True") << false << true;
        QTest::newRow("number 0") << QStringLiteral("CheckUnfilteredSongs") << QStringLiteral("0") << true << false;
        QTest::newRow("number -1") << avail << QStringLiteral("-1") << false << true;
        QTest::newRow("yes leaves True") << QStringLiteral("EnableSearch") << QStringLiteral("yes") << true << true;
        QTest::newRow("yes leaves False") << QStringLiteral("EnableSearch") << QStringLiteral("yes") << false << false;
        QTest::newRow("empty leaves False") << avail << QString() << false << false;
        QTest::newRow("empty leaves True") << avail << QString() << true << true;
        QTest::newRow("ID3v2 lyrics True")
            << QStringLiteral("WriteId3v2Lyrics") << QStringLiteral("True") << false << true;
        QTest::newRow(".lrc files False")
            << QStringLiteral("WriteLrcFiles") << QStringLiteral("False") << true << false;
    }
    void storedFlags()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(bool, before);
        QFETCH(bool, expected);
        storeRaw(key, stored);
        basMain state;
        flagOf(state, key) = before;
        state.blnCheckTimestampsAtStart = !state.blnCheckForAvaliableTimestamps;
        LoadConfig(state);
        QCOMPARE(flagOf(state, key), expected);
        QCOMPARE(state.blnCheckTimestampsAtStart, state.blnCheckForAvaliableTimestamps);
    }

    // The maker's web site: a usable stored address replaces the shipped one;
    // it is never written back.
    void makerSiteSetting_data()
    {
        QTest::addColumn<QString>("stored"); // null: not stored
        QTest::addColumn<QString>("site");
        const QString shipped = stanzary::makerSite();
        QTest::newRow("not stored") << QString() << shipped;
        QTest::newRow("a mirror, its slash dropped")
            << QStringLiteral(" https://mirror.example/zeph/ ") << QStringLiteral("https://mirror.example/zeph");
        QTest::newRow("no web address") << QStringLiteral("file:///tmp") << shipped;
        QTest::newRow("a query would take the paths") << QStringLiteral("http://x.example/?a=") << shipped;
    }
    void makerSiteSetting()
    {
        QFETCH(QString, stored);
        QFETCH(QString, site);
        if (!stored.isNull())
            storeRaw(QStringLiteral("MakerSite"), stored);
        basMain state;
        LoadConfig(state);
        QCOMPARE(state.strMakerSite, site);

        openConfigStore()->clear();
        SaveConfig(state, StoredGeometry::defaults());
        QVERIFY(!openConfigStore()->contains(QStringLiteral("Config/MakerSite")));
    }

    void maximizedFlag()
    {
        storeRaw(QStringLiteral("FrmMaximized"), QStringLiteral("True"));
        basMain state;
        QCOMPARE(LoadConfig(state).FrmMaximized, true);
        storeRaw(QStringLiteral("FrmMaximized"), QStringLiteral("maybe"));
        QCOMPARE(LoadConfig(state).FrmMaximized, false);
    }

    void readsHostSettingsToo()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.writeSettings("[SingleDir]=1\r\n[FontCharset]=204\r\n[CachePath]=/srv/songs\r\n");
        basMain state;
        state.strHostPath = inst.hostPath();
        LoadConfig(state);
        QCOMPARE(state.blnSingleDir, true);
        QCOMPARE(state.bytFontCharset, 204);
        QCOMPARE(state.codePage.name(), QStringLiteral("windows-1251"));
        QCOMPARE(state.strLyricsPath, QStringLiteral("/srv/songs/"));
    }

    void numberText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 12500.0 << QStringLiteral("12500");
        QTest::newRow("fraction") << 0.1 << QStringLiteral("0.1");
        QTest::newRow("negative") << -15.0 << QStringLiteral("-15");
        QTest::newRow("no exponent") << 1e7 << QStringLiteral("10000000");
        QTest::newRow("single precision digits") << 8000.0 / 3 << QStringLiteral("2666.6667");
    }
    void numberText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(configNumberText(value), text);
        QCOMPARE(configNumber(text), std::optional<float>(static_cast<float>(value)));
    }

    void splitterStart_data()
    {
        QTest::addColumn<double>("splitPos");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("expected");
        QTest::newRow("inside") << 3500.0 << 12500.0 << 3500.0;
        QTest::newRow("beyond the width") << 9000.0 << 8000.0 << 8000.0 / 3;
        QTest::newRow("at the width") << 8000.0 << 8000.0 << 8000.0 / 3;
    }
    void splitterStart()
    {
        QFETCH(double, splitPos);
        QFETCH(double, width);
        QFETCH(double, expected);
        StoredGeometry g;
        g.SplitPos = splitPos;
        g.FrmWidth = width;
        QCOMPARE(g.splitterStart(), expected);
    }
};

QTEST_GUILESS_MAIN(tst_Config)
#include "tst_config.moc"
