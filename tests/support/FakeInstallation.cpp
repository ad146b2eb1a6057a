#include "FakeInstallation.h"

#include "platform/CodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stanzary::test {

FakeInstallation::FakeInstallation(const QString &root) : m_root(root.endsWith(u'/') ? root : root + u'/')
{
    QDir().mkpath(m_root);
}

QString FakeInstallation::writeFile(const QString &relativePath, const QByteArray &content)
{
    const QString path = m_root + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("FakeInstallation: cannot write %s", qPrintable(path));
    f.write(content);
    return path;
}

void FakeInstallation::writeExecutable()
{
    writeFile(QStringLiteral("Tunewright.exe"), QByteArrayLiteral("MZ placeholder"));
}

void FakeInstallation::writeSettings(const QByteArray &content)
{
    writeFile(QStringLiteral("settings.txt"), content);
}

QString FakeInstallation::addLyrics(const QString &key, const QByteArray &content)
{
    return writeFile(QStringLiteral("lyrics/") + key, content);
}

QString FakeInstallation::addKas(const QString &key, const QByteArray &content)
{
    QString kas = key;
    kas.chop(4);
    return writeFile(QStringLiteral("lyrics/") + kas + QStringLiteral(".kas"), content);
}

void FakeInstallation::writeKaraokeIndex(const QByteArray &bytes)
{
    writeFile(QStringLiteral("kl.dbx"), bytes);
}

QByteArray cp1252(const QString &text)
{
    const auto bytes = CodePage().encode(text);
    if (!bytes)
        qFatal("cp1252: text does not fit the code page");
    return *bytes;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void setReadOnly(const QString &path, bool readOnly)
{
    QFile::Permissions p = QFile::permissions(path);
    const QFile::Permissions write =
        QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    QFile::setPermissions(path, readOnly ? (p & ~write) : (p | QFileDevice::WriteOwner | QFileDevice::WriteUser));
}

RawNamedFiles::~RawNamedFiles()
{
    for (auto it = m_made.crbegin(); it != m_made.crend(); ++it)
        ::remove(it->constData());
}

void RawNamedFiles::file(const QByteArray &path)
{
    m_made.append(path);
    QVERIFY(::close(::open(path.constData(), O_CREAT | O_WRONLY, 0600)) == 0);
}

void RawNamedFiles::folder(const QByteArray &path)
{
    m_made.append(path);
    QVERIFY(::mkdir(path.constData(), 0700) == 0);
}

} // namespace stanzary::test
