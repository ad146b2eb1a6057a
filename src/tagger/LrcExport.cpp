#include "tagger/LrcExport.h"

#include <QFileInfo>

namespace stanzary {

QString lrcTimeTag(const StampTime &time)
{
    return QStringLiteral("[%1:%2.%3]")
        .arg(time.Minute, 2, 10, QChar(u'0'))
        .arg(time.Second, 2, 10, QChar(u'0'))
        .arg(time.Frame * 10, 2, 10, QChar(u'0'));
}

QByteArray lrcText(const QList<PairedStamp> &paired)
{
    QByteArray out;
    for (const PairedStamp &p : paired)
        out += (lrcTimeTag(p.time) + p.line).toUtf8() + QByteArrayLiteral("\r\n");
    return out;
}

QString lrcPathBeside(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot > 0 ? name.left(dot) : name;
    return info.path() + u'/' + base + QStringLiteral(".lrc");
}

WriteResult writeLrcFile(const QString &path, const QList<PairedStamp> &paired)
{
    return writeFileSafely(path, lrcText(paired));
}

} // namespace stanzary
