#include "app/Manifest.h"

#include "platform/DirListing.h"
#include "platform/SafeWrite.h"

#include <QOperatingSystemVersion>
#include <QStringList>

namespace stanzary {

double GetWindowsVersion()
{
#ifdef Q_OS_WIN
    const QOperatingSystemVersion v = QOperatingSystemVersion::current();
    return v.majorVersion() + v.minorVersion() / 100.0;
#else
    return 0.0;
#endif
}

QString manifestText()
{
    const QStringList lines = {
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"),
        QStringLiteral("<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"),
        QStringLiteral("<assemblyIdentity version=\"1.0.0.0\" processorArchitecture=\"X86\" "
                       "name=\"Tunewright.Stanzary\" type=\"win32\" />"),
        QStringLiteral("<description>ZEPH</description>"),
        QStringLiteral("<dependency>"),
        QStringLiteral("<dependentAssembly>"),
        QStringLiteral("<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" "
                       "version=\"6.0.0.0\" processorArchitecture=\"X86\" "
                       "publicKeyToken=\"6595b64144ccf1df\" language=\"*\" />"),
        QStringLiteral("</dependentAssembly>"),
        QStringLiteral("</dependency>"),
        QStringLiteral("</assembly>"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

QString manifestPath(const QString &programDir, const QString &programBaseName)
{
    return withTrailingSeparator(programDir) + programBaseName + QStringLiteral(".exe.manifest");
}

ManifestOutcome WriteManifest(const QString &programDir, const QString &programBaseName, double windowsVersion)
{
    const QString name = programBaseName + QStringLiteral(".exe.manifest");
    if (!findFileIgnoringCase(programDir, name).isEmpty())
        return ManifestOutcome::AlreadyThere;
    if (!(windowsVersion > 5.0))
        return ManifestOutcome::NotNeeded;
    const QByteArray bytes = (manifestText() + QStringLiteral("\r\n")).toUtf8();
    return writeFileSafely(manifestPath(programDir, programBaseName), bytes).ok() ? ManifestOutcome::Written
                                                                                  : ManifestOutcome::Failed;
}

} // namespace stanzary
