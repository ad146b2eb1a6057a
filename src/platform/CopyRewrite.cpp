#include "platform/CopyRewrite.h"

#include "platform/RegularFile.h"
#include "platform/ReplacementFile.h"

#include <QFile>
#include <QFileInfo>

namespace stanzary {

namespace {

constexpr qint64 kCopyChunk = 1 << 20;

void reach(const RewriteHooks &hooks, RewriteStep step)
{
    if (hooks.reached)
        hooks.reached(step);
}

// The old bytes into the new copy.
bool copyInto(ReplacementFile &copy, const QString &from, QString &failure)
{
    const RegularFile source(from);
    if (!source.isOpen()) {
        failure = source.error();
        return false;
    }
    qint64 at = 0;
    for (;;) {
        const QByteArray chunk = source.read(at, kCopyChunk);
        if (chunk.isEmpty())
            break;
        if (!copy.write(chunk)) {
            failure = copy.error();
            return false;
        }
        at += chunk.size();
    }
    if (at != source.size()) {
        failure = QStringLiteral("the file could not be read whole");
        return false;
    }
    return true;
}

} // namespace

QString rewriteCopyPath(const QString &path)
{
    return replacementPathFor(QFileInfo(path).absoluteFilePath());
}

WriteResult rewriteThroughCopy(const QString &path, const CopyChange &change, const RewriteHooks &hooks)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty() || !QFileInfo(target).isFile())
        return {WriteStatus::Failed, QStringLiteral("The file does not exist.")};
    if (isReadOnlyFile(target))
        return {WriteStatus::ReadOnly, QString()};

    ReplacementFile copy(target);
    QString failure;
    if (!copy.create())
        return {WriteStatus::Failed, QStringLiteral("No copy can be made beside the file: ") + copy.error()};
    if (!copyInto(copy, target, failure) || !copy.file().flush())
        return {WriteStatus::Failed, failure.isEmpty() ? copy.file().errorString() : failure};
    reach(hooks, RewriteStep::CopyMade);
    if (!change(copy.path(), failure))
        return {WriteStatus::Failed, failure};
    reach(hooks, RewriteStep::CopyChanged);
    if (!copy.sync(std::nullopt))
        return {WriteStatus::Failed, copy.error()};
    reach(hooks, RewriteStep::CopySynced);
    if (!copy.replace())
        return {WriteStatus::Failed, copy.error()};
    reach(hooks, RewriteStep::Replaced);
    return {WriteStatus::Ok, QString()};
}

} // namespace stanzary
