#include "app/basMain.h"
#include "platform/HostRegistry.h"
#include "store/HostStore.h"
#include "store/SongNames.h"

#include "FakeInstallation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

namespace {

// A registry whose answer a test chooses; it counts the lookups.
class FakeRegistry : public HostRegistry
{
public:
    std::optional<QString> value;
    mutable int lookups = 0;
    mutable QString lastKey;

    std::optional<QString> firstValue(const QString &keyPath) const override
    {
        ++lookups;
        lastKey = keyPath;
        return value;
    }
    QString localPath(const QString &hostPath) const override
    {
        return QStringLiteral("/translated/") + QString(hostPath).replace(u'\\', u'/');
    }
};

const QByteArray regHeader =
    QByteArrayLiteral("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n");

// A Wine prefix inside a temporary folder: drive_c with the host's folder,
// "dosdevices/c:" -> "../drive_c", "dosdevices/d:" -> a folder elsewhere and
// "dosdevices/z:" -> "/".
struct WinePrefix
{
    QTemporaryDir tmp;
    QString prefix() const { return tmp.path() + QStringLiteral("/prefix"); }
    QString driveD() const { return tmp.path() + QStringLiteral("/elsewhere"); }

    WinePrefix()
    {
        QDir().mkpath(prefix() + QStringLiteral("/dosdevices"));
        QDir().mkpath(prefix() + QStringLiteral("/drive_c/Program Files/Tunewright/Lyrics"));
        QDir().mkpath(driveD() + QStringLiteral("/Lyrics"));
        QFile::link(QStringLiteral("../drive_c"), prefix() + QStringLiteral("/dosdevices/c:"));
        QFile::link(driveD(), prefix() + QStringLiteral("/dosdevices/d:"));
        QFile::link(QStringLiteral("/"), prefix() + QStringLiteral("/dosdevices/z:"));
    }
    void writeSystemReg(const QByteArray &content) const
    {
        QFile f(prefix() + QStringLiteral("/system.reg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QString driveC() const { return prefix() + QStringLiteral("/drive_c"); }
};

QString repeated(char c, int n)
{
    return QString(n, QLatin1Char(c));
}

} // namespace

class tst_HostStore : public QObject
{
    Q_OBJECT

private slots:
    void registryFirstValue_data()
    {
        QTest::addColumn<QByteArray>("systemReg");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("value");

        const QByteArray key =
            QByteArrayLiteral("[Software\\\\Quarvex\\\\Tunewright] 1700000000\n#time=1d9a1b2c3d4e5f6\n");
        const QByteArray wow = QByteArrayLiteral("[Software\\\\Wow6432Node\\\\Quarvex\\\\Tunewright] 1700000000\n");
        const QString host = QStringLiteral("C:\\Programs\\Host");

        QTest::newRow("default value first")
            << QByteArray(regHeader + key + "@=\"C:\\\\Programs\\\\Host\"\n\"Version\"=\"2\"\n") << true << host;
        QTest::newRow("named value first, whatever its name")
            << QByteArray(regHeader + key + "\"Anything\"=\"C:\\\\Programs\\\\Host\"\n\"Path\"=\"D:\\\\Other\"\n")
            << true << host;
        QTest::newRow("other keys around it")
            << QByteArray(regHeader + "[Software\\\\Quarvex] 1\n\"Path\"=\"wrong\"\n\n" + key
                          + "@=\"C:\\\\Programs\\\\Host\"\n\n[Software\\\\Zed] 1\n\"Path\"=\"wrong\"\n")
            << true << host;
        QTest::newRow("key name ignores case")
            << QByteArray(regHeader + "[software\\\\QUARVEX\\\\tunewright] 1\n@=\"C:\\\\Programs\\\\Host\"\n") << true
            << host;
        QTest::newRow("CR LF line ends")
            << QByteArray(regHeader + key + "@=\"C:\\\\Programs\\\\Host\"\n").replace("\n", "\r\n") << true << host;
        QTest::newRow("under Wow6432Node")
            << QByteArray(regHeader + wow + "@=\"C:\\\\Programs\\\\Host\"\n") << true << host;
        QTest::newRow("own key before Wow6432Node")
            << QByteArray(regHeader + wow + "@=\"D:\\\\Wow\"\n\n" + key + "@=\"C:\\\\Programs\\\\Host\"\n") << true
            << host;
        QTest::newRow("Wow6432Node when own key is empty")
            << QByteArray(regHeader + key + "@=\"\"\n\n" + wow + "@=\"C:\\\\Programs\\\\Host\"\n") << true << host;
        QTest::newRow("missing key") << QByteArray(regHeader + "[Software\\\\Quarvex\\\\Other] 1\n@=\"x\"\n") << false
                                     << QString();
        QTest::newRow("subkey is not the key")
            << QByteArray(regHeader + "[Software\\\\Quarvex\\\\Tunewright\\\\Options] 1\n@=\"x\"\n") << false
            << QString();
        QTest::newRow("key without values, next key has one")
            << QByteArray(regHeader + key + "\n[Software\\\\Quarvex\\\\Tunewright2] 1\n@=\"x\"\n") << false
            << QString();
        QTest::newRow("empty data") << QByteArray(regHeader + key + "@=\"\"\n") << false << QString();
        QTest::newRow("empty first value hides the second")
            << QByteArray(regHeader + key + "@=\"\"\n\"Path\"=\"C:\\\\Programs\\\\Host\"\n") << false << QString();
        QTest::newRow("first value is a number")
            << QByteArray(regHeader + key + "\"A\"=dword:00000001\n\"B\"=\"x\"\n") << false << QString();
        QTest::newRow("first value is binary")
            << QByteArray(regHeader + key + "\"A\"=hex:43,00\n") << false << QString();
        QTest::newRow("expandable string")
            << QByteArray(regHeader + key + "\"Path\"=str(2):\"C:\\\\Programs\\\\Host\"\n") << true << host;
        QTest::newRow("escapes") << QByteArray(regHeader + key + "@=\"C:\\\\Caf\\xe9 \\\"Q\\\"\\x00411\\tend\"\n")
                                 << true << QStringLiteral("C:\\Caf\u00e9 \"Q\"A1\tend");
        QTest::newRow("control, hex and octal escapes")
            << QByteArray(regHeader + key + "@=\"[\\a\\b\\e\\f\\n\\r\\t\\v]\\x4a\\x4B\\101\\7x\"\n") << true
            << QString::fromLatin1("[\a\b\x1b\f\n\r\t\v]JKA\ax");
        QTest::newRow("string as UTF-16 hex over two lines") << QByteArray(
            regHeader + key + "\"Path\"=hex(2):43,00,3a,00,5c,00,\\\n  48,00,e9,00,00,00\n\"Next\"=\"x\"\n")
                                                             << true << QStringLiteral("C:\\H\u00e9");
        QTest::newRow("hex string without a final NUL")
            << QByteArray(regHeader + key + "@=hex(1):41,00,42,00\n") << true << QStringLiteral("AB");
        QTest::newRow("254 characters fit")
            << QByteArray(regHeader + key + "@=\"" + repeated('a', 254).toLatin1() + "\"\n") << true
            << repeated('a', 254);
        QTest::newRow("255 characters do not fit")
            << QByteArray(regHeader + key + "@=\"" + repeated('a', 255).toLatin1() + "\"\n") << false << QString();
        QTest::newRow("value name too long")
            << QByteArray(regHeader + key + "\"" + repeated('n', 255).toLatin1() + "\"=\"C:\\\\x\"\n") << false
            << QString();
        QTest::newRow("no registry file") << QByteArray() << false << QString();
    }
    void registryFirstValue()
    {
        QFETCH(QByteArray, systemReg);
        QFETCH(bool, found);
        QFETCH(QString, value);
        WinePrefix wine;
        if (!systemReg.isEmpty())
            wine.writeSystemReg(systemReg);
        const auto got = WineRegistry(wine.prefix()).firstValue(hostRegistryKey());
        QCOMPARE(got.has_value(), found);
        if (found)
            QCOMPARE(*got, value);
    }

    void windowsPathsGoThroughDosdevices_data()
    {
        QTest::addColumn<QString>("hostPath");
        QTest::addColumn<QString>("expected"); // $C, $D and $P stand for drive_c, d:'s folder and the prefix

        QTest::newRow("exact names") << QStringLiteral("C:\\Program Files\\Tunewright")
                                     << QStringLiteral("$C/Program Files/Tunewright");
        QTest::newRow("names ignoring case, trailing separator kept")
            << QStringLiteral("c:\\PROGRAM FILES\\tunewright\\lyrics\\")
            << QStringLiteral("$C/Program Files/Tunewright/Lyrics/");
        QTest::newRow("missing part kept as written")
            << QStringLiteral("C:\\Program Files\\Gone\\SUB") << QStringLiteral("$C/Program Files/Gone/SUB");
        QTest::newRow("drive root") << QStringLiteral("C:\\") << QStringLiteral("$C/");
        QTest::newRow("other drive") << QStringLiteral("D:\\lyrics\\") << QStringLiteral("$D/Lyrics/");
        QTest::newRow("forward slashes") << QStringLiteral("D:/Lyrics/") << QStringLiteral("$D/Lyrics/");
        QTest::newRow("drive mapped to the root")
            << QStringLiteral("Z:\\no such folder\\Lyrics\\") << QStringLiteral("/no such folder/Lyrics/");
        QTest::newRow("unmapped drive") << QStringLiteral("E:\\Music") << QStringLiteral("$P/dosdevices/e:/Music");
        QTest::newRow("network path") << QStringLiteral("\\\\server\\share\\x")
                                      << QStringLiteral("$P/dosdevices/unc/server/share/x");
        QTest::newRow("not a Windows path") << QStringLiteral("relative\\folder") << QStringLiteral("relative/folder");
    }
    void windowsPathsGoThroughDosdevices()
    {
        QFETCH(QString, hostPath);
        QFETCH(QString, expected);
        WinePrefix wine;
        expected.replace(QStringLiteral("$C"), QFileInfo(wine.driveC()).canonicalFilePath());
        expected.replace(QStringLiteral("$D"), QFileInfo(wine.driveD()).canonicalFilePath());
        expected.replace(QStringLiteral("$P"), wine.prefix());
        QCOMPARE(WineRegistry(wine.prefix()).localPath(hostPath), expected);
    }

    void findHostPath_data()
    {
        QTest::addColumn<QString>("fileBeside"); // created in the program folder, empty for none
        QTest::addColumn<bool>("asFolder");
        QTest::addColumn<QString>("registryValue"); // empty: not found
        QTest::addColumn<QString>("expectedHost");  // $PROG or a translated path; empty when not found
        QTest::addColumn<bool>("registryAsked");

        QTest::newRow("beside the program") << QStringLiteral("Tunewright.exe") << false << QStringLiteral("C:\\Host")
                                            << QStringLiteral("$PROG") << false;
        QTest::newRow("other case of the name is not the host")
            << QStringLiteral("tunewright.EXE") << false << QStringLiteral("C:\\Host")
            << QStringLiteral("/translated/C:/Host/") << true;
        QTest::newRow("a folder of that name is not the host")
            << QStringLiteral("Tunewright.exe") << true << QString() << QString() << true;
        QTest::newRow("from the registry, separator added")
            << QString() << false << QStringLiteral("C:\\Programs\\Host")
            << QStringLiteral("/translated/C:/Programs/Host/") << true;
        QTest::newRow("from the registry, separator kept")
            << QString() << false << QStringLiteral("C:\\Programs\\Host\\")
            << QStringLiteral("/translated/C:/Programs/Host/") << true;
        QTest::newRow("not found") << QString() << false << QString() << QString() << true;
    }
    void findHostPath()
    {
        QFETCH(QString, fileBeside);
        QFETCH(bool, asFolder);
        QFETCH(QString, registryValue);
        QFETCH(QString, expectedHost);
        QFETCH(bool, registryAsked);
        QTemporaryDir tmp;
        test::FakeInstallation program(tmp.path());
        if (!fileBeside.isEmpty()) {
            if (asFolder)
                QVERIFY(QDir().mkpath(program.root() + fileBeside));
            else
                program.writeFile(fileBeside, "MZ");
        }
        FakeRegistry registry;
        if (!registryValue.isEmpty())
            registry.value = registryValue;
        expectedHost.replace(QStringLiteral("$PROG"), program.root());

        basMain state;
        FindHostPath(state, tmp.path(), registry);
        QCOMPARE(state.strHostPath, expectedHost);
        QCOMPARE(state.strLyricsPath,
                 (expectedHost.isEmpty() ? program.root() : expectedHost) + QStringLiteral("lyrics/"));
        QCOMPARE(registry.lookups > 0, registryAsked);
        if (registryAsked)
            QCOMPARE(registry.lastKey, QStringLiteral("Software\\Quarvex\\Tunewright"));
    }

    void findHostPathInWinePrefix()
    {
        WinePrefix wine;
        wine.writeSystemReg(
            regHeader
            + "[Software\\\\Wow6432Node\\\\Quarvex\\\\Tunewright] 1\n@=\"C:\\\\Program Files\\\\Tunewright\"\n");
        QTemporaryDir program;
        basMain state;
        FindHostPath(state, program.path(), WineRegistry(wine.prefix()));
        const QString host =
            QFileInfo(wine.driveC()).canonicalFilePath() + QStringLiteral("/Program Files/Tunewright/");
        QCOMPARE(state.strHostPath, host);
        QCOMPARE(state.strLyricsPath, host + QStringLiteral("Lyrics/")); // the folder's real name
    }

    void systemRegistryFollowsWinePrefix()
    {
        WinePrefix wine;
        wine.writeSystemReg(regHeader + "[Software\\\\Quarvex\\\\Tunewright] 1\n@=\"D:\\\\\"\n");
        const QByteArray saved = qgetenv("WINEPREFIX");
        qputenv("WINEPREFIX", wine.prefix().toLocal8Bit());
        QTemporaryDir program;
        basMain state;
        FindHostPath(state, program.path());
        qputenv("WINEPREFIX", saved);
        QCOMPARE(state.strHostPath, QFileInfo(wine.driveD()).canonicalFilePath() + u'/');
    }

    void readHostSettings_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("lyricsPath"); // $DEFAULT: as FindHostPath left it; $D: drive d:'s folder
        QTest::addColumn<bool>("singleDir");
        QTest::addColumn<int>("fontCharset");

        const QString dflt = QStringLiteral("$DEFAULT");
        QTest::newRow("single folder") << QByteArray("[SingleDir]=1\r\n") << dflt << true << 0;
        QTest::newRow("0 is subfolders") << QByteArray("[SingleDir]=0\r\n") << dflt << false << 0;
        QTest::newRow("yes is subfolders") << QByteArray("[SingleDir]=yes\r\n") << dflt << false << 0;
        QTest::newRow("1 and a blank is subfolders") << QByteArray("[SingleDir]=1 \r\n") << dflt << false << 0;
        QTest::newRow("separator not looked at") << QByteArray("[SingleDir]:1\r\n") << dflt << true << 0;
        QTest::newRow("key is case-sensitive") << QByteArray("[singledir]=1\r\n") << dflt << false << 0;
        QTest::newRow("key only at the line start") << QByteArray(" [SingleDir]=1\r\n") << dflt << false << 0;
        QTest::newRow("LF line ends, no final one")
            << QByteArray("[FontCharset]=238\n[SingleDir]=1") << dflt << true << 238;
        QTest::newRow("charset after a blank") << QByteArray("[FontCharset] 204\r\n") << dflt << false << 204;
        QTest::newRow("charset 255") << QByteArray("[FontCharset]=255\r\n") << dflt << false << 255;
        QTest::newRow("charset 256 ignored") << QByteArray("[FontCharset]=256\r\n") << dflt << false << 0;
        QTest::newRow("charset -1 ignored") << QByteArray("[FontCharset]=-1\r\n") << dflt << false << 0;
        QTest::newRow("charset text ignored") << QByteArray("[FontCharset]=abc\r\n") << dflt << false << 0;
        QTest::newRow("cache path from Windows")
            << QByteArray("[CachePath]=D:\\Lyrics\\\r\n") << QStringLiteral("$D/Lyrics/") << false << 0;
        QTest::newRow("cache path ignores case of key")
            << QByteArray("[cachepath]=D:\\Lyrics\\\r\n") << dflt << false << 0;
        QTest::newRow("cache path of this system, separator added")
            << QByteArray("[CachePath]=/srv/lyrics\r\n") << QStringLiteral("/srv/lyrics/") << false << 0;
        QTest::newRow("empty cache path keeps the folder")
            << QByteArray("[CachePath]=\r\n[SingleDir]=1\r\n") << dflt << true << 0;
        QTest::newRow("cache path in Windows-1252")
            << test::cp1252(QStringLiteral("[CachePath]=/srv/Chansons d'\u00e9t\u00e9/\r\n"))
            << QStringLiteral("/srv/Chansons d'\u00e9t\u00e9/") << false << 0;
        QTest::newRow("cache path in the code page of a later charset line")
            << QByteArray("[CachePath]=/srv/\xd2\xe5\xea\xf1\xf2\xfb/\r\n[FontCharset]=204\r\n")
            << QStringLiteral("/srv/\u0422\u0435\u043a\u0441\u0442\u044b/") << false << 204;
        QTest::newRow("other lines ignored") << QByteArray(
            "[CacheSize]=500\r\n[AutoSearch]=1\r\n\r\n[FontCharset]=204\r\n[SingleDir]=1\r\n[CachePath]=/a/\r\n")
                                             << QStringLiteral("/a/") << true << 204;
        QTest::newRow("stops after three recognised lines") << QByteArray(
            "[FontCharset]=204\r\n[SingleDir]=1\r\n[CachePath]=/a/\r\n[FontCharset]=238\r\n[SingleDir]=0\r\n")
                                                            << QStringLiteral("/a/") << true << 204;
        QTest::newRow("one key three times also stops")
            << QByteArray("[SingleDir]=0\r\n[SingleDir]=0\r\n[SingleDir]=0\r\n[SingleDir]=1\r\n[FontCharset]=204\r\n")
            << dflt << false << 0;
        QTest::newRow("ignored charset still counts")
            << QByteArray("[FontCharset]=999\r\n[FontCharset]=x\r\n[FontCharset]=\r\n[FontCharset]=204\r\n") << dflt
            << false << 0;
    }
    void readHostSettings()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, lyricsPath);
        QFETCH(bool, singleDir);
        QFETCH(int, fontCharset);
        WinePrefix wine;
        test::FakeInstallation inst(wine.tmp.path() + QStringLiteral("/host"));
        inst.writeExecutable();
        inst.writeSettings(settings);

        basMain state;
        FindHostPath(state, inst.root(), FakeRegistry());
        lyricsPath.replace(QStringLiteral("$DEFAULT"), state.strLyricsPath);
        lyricsPath.replace(QStringLiteral("$D"), QFileInfo(wine.driveD()).canonicalFilePath());
        ReadHostSettings(state, WineRegistry(wine.prefix()));
        QCOMPARE(state.strLyricsPath, lyricsPath);
        QCOMPARE(state.blnSingleDir, singleDir);
        QCOMPARE(state.bytFontCharset, fontCharset);
        QCOMPARE(state.codePage.name(), CodePage::forFontCharset(fontCharset).name());
    }

    void settingsFileMissingOrNamedOtherwise()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.writeExecutable();
        basMain state;
        FindHostPath(state, inst.root(), FakeRegistry());
        const QString lyrics = state.strLyricsPath;
        ReadHostSettings(state, FakeRegistry());
        QCOMPARE(state.strLyricsPath, lyrics);
        QCOMPARE(state.blnSingleDir, false);
        QCOMPARE(state.bytFontCharset, 0);

        // The host's platform ignores case in file names.
        inst.writeFile(QStringLiteral("Settings.TXT"), "[FontCharset]=204\r\n");
        ReadHostSettings(state, FakeRegistry());
        QCOMPARE(state.bytFontCharset, 204);
        QCOMPARE(state.codePage.name(), QStringLiteral("windows-1251"));
    }

    void noSettingsWithoutHost()
    {
        basMain state;
        state.strLyricsPath = QStringLiteral("/prog/lyrics/");
        ReadHostSettings(state, FakeRegistry());
        QCOMPARE(state.strLyricsPath, QStringLiteral("/prog/lyrics/"));
        QCOMPARE(state.codePage.name(), QStringLiteral("windows-1252"));
    }

    void artistAndSong_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("song");
        QTest::newRow("plain") << QStringLiteral("Some Band - Some Song") << QStringLiteral("Some Band")
                               << QStringLiteral("Some Song");
        QTest::newRow("hyphen in the artist moves the split")
            << QStringLiteral("Twenty-One - Some Song") << QStringLiteral("Twenty")
            << QStringLiteral("One - Some Song");
        QTest::newRow("no hyphen") << QStringLiteral("NoHyphen") << QString() << QStringLiteral("NoHyphen");
        QTest::newRow("blanks trimmed") << QStringLiteral("  A  -  B  ") << QStringLiteral("A") << QStringLiteral("B");
    }
    void artistAndSong()
    {
        QFETCH(QString, name);
        QFETCH(QString, artist);
        QFETCH(QString, song);
        QCOMPARE(GetArtist(name + QStringLiteral(".txt")), artist);
        QCOMPARE(GetSong(name), song);
    }

    void sampleInstallation()
    {
        const QString examples = qEnvironmentVariable("STANZARY_EXAMPLES");
        if (examples.isEmpty())
            QSKIP("STANZARY_EXAMPLES is not set (CTest sets it)");
        const QString host = examples + QStringLiteral("/Tunewright/");
        basMain state;
        FindHostPath(state, host, FakeRegistry());
        QCOMPARE(state.strHostPath, host);
        ReadHostSettings(state, FakeRegistry());
        QCOMPARE(state.strLyricsPath, host + QStringLiteral("lyrics/"));
        QCOMPARE(state.blnSingleDir, false);
        QCOMPARE(state.bytFontCharset, 0);
        QVERIFY(QFileInfo(state.strLyricsPath + QStringLiteral("T")).isDir());
    }
};

QTEST_GUILESS_MAIN(tst_HostStore)
#include "tst_hoststore.moc"
