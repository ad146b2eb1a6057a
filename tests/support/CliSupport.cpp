#include "CliSupport.h"

#include "karaoke/KaraokeIndex.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

namespace stanzary::test {

const QByteArray Filtered = "words\r\nmore words\r\n[Tunewright] filter used\r\n";
const QByteArray Unfiltered = "words\r\nmore words, and nothing that marks them as filtered\r\n";
const QByteArray PairingStamps = "@@woAAmo;\r\n";

QByteArray mpegFrames(int n)
{
    QByteArray out;
    for (int f = 0; f < n; ++f)
        out += QByteArray("\xff\xfb\x90\x64", 4) + QByteArray(413, char(0x11 + f % 7));
    return out;
}

QByteArray id3v1Record(const QByteArray &title)
{
    return "TAG" + title.leftJustified(30, '\0') + QByteArray(30, 'a') + QByteArray(30, '\0') + "2001"
           + QByteArray(28, '\0') + QByteArray("\0\x01\x02", 3);
}

CliInstallation::CliInstallation(const QString &root)
    : FakeInstallation(root + QStringLiteral("/Tunewright")), m_prefix(root + QStringLiteral("/prefix"))
{
    addLyrics(QStringLiteral("B/Blue Lake - Night Train.txt"), Filtered);
    addKas(QStringLiteral("B/Blue Lake - Night Train.txt"), PairingStamps);
    addLyrics(QStringLiteral("Q/Quiet Owls - Ember.txt"), Filtered);
    addLyrics(QStringLiteral("Q/Quiet Owls - Ashes.txt"), Unfiltered);
    addLyrics(QStringLiteral("V/Velvet Fox - Shared.txt"), Filtered);
    addLyrics(QStringLiteral("T/Tin Drum - Tagged.txt"), Filtered);
    const AvailabilityKey key = availabilityKeyFor(QStringLiteral("Quiet Owls - Ember.txt"));
    writeKaraokeIndex(QByteArray(5, 'x') + QByteArray(reinterpret_cast<const char *>(key.data()), 5));

    QDir().mkpath(m_prefix + QStringLiteral("/dosdevices"));
    QFile::link(QStringLiteral("/"), m_prefix + QStringLiteral("/dosdevices/z:"));
    QByteArray windowsPath = "Z:" + QFile::encodeName(hostPath()).replace('/', "\\\\");
    windowsPath.chop(2); // no separator at the end, as an installer writes it
    QFile reg(m_prefix + QStringLiteral("/system.reg"));
    if (!reg.open(QIODevice::WriteOnly))
        qFatal("CliInstallation: cannot write the registry file");
    reg.write("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
              "[Software\\\\Quarvex\\\\Tunewright] 1700000000\n@=\""
              + windowsPath + "\"\n");
}

QProcessEnvironment CliInstallation::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), m_prefix);
    return environment;
}

QString CliInstallation::writeMp3Folder(const QString &folder)
{
    const QString f = folder + u'/';
    const auto mp3 = [&](const char *name, const QByteArray &bytes) { writeFile(f + QString::fromUtf8(name), bytes); };
    mp3("blue lake night train.mp3", mpegFrames(20));
    mp3("sub/Quiet Owls - Ember.mp3", mpegFrames(21) + id3v1Record("Ember"));
    mp3("quiet owls ashes.mp3", mpegFrames(22) + id3v1Record("Ashes"));
    mp3("velvet fox shared 1.mp3", mpegFrames(23));
    mp3("velvet fox shared 2.mp3", mpegFrames(24));
    mp3("tin drum tagged.mp3", mpegFrames(25) + "LYRICSBEGININD00003100LYR00009old words000039LYRICS200");
    mp3("nothing at all.mp3", mpegFrames(26));
    return root() + f;
}

CliRun runCli(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    CliRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QMap<QString, QByteArray> filesBelow(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QDir base(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(base.relativeFilePath(path), readAll(path));
    }
    return files;
}

} // namespace stanzary::test
