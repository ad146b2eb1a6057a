#include "platform/DirListing.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace stanzary {

bool lessIgnoringCase(const QString &a, const QString &b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    if (c != 0)
        return c < 0;
    return a < b;
}

QStringList listFiles(const QString &dir)
{
    if (dir.isEmpty())
        return {};
    return QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
}

QStringList listFilesWithSuffix(const QString &dir, const QString &suffix)
{
    QStringList names = listFiles(dir);
    names.removeIf([&](const QString &n) { return !n.endsWith(suffix, Qt::CaseInsensitive); });
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

QStringList listSubfolders(const QString &dir)
{
    if (dir.isEmpty())
        return {};
    QStringList names = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

QString findFileIgnoringCase(const QString &dir, const QString &name)
{
    if (name.isEmpty() || name.startsWith(u'.'))
        return QString();
    const QFileInfo exact(QDir(dir).filePath(name));
    if (exact.isFile())
        return name;
    const QStringList names = listFiles(dir);
    for (const QString &n : names) {
        if (QString::compare(n, name, Qt::CaseInsensitive) == 0)
            return n;
    }
    return QString();
}

QString withTrailingSeparator(const QString &path)
{
    if (path.isEmpty() || path.endsWith(u'/'))
        return path;
    return path + u'/';
}

} // namespace stanzary
