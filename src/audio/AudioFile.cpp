#include "audio/AudioFile.h"

#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>

namespace stanzary {

std::unique_ptr<QFile> openAudioFile(const QString &path, QString &error)
{
    const QString name = QFileInfo(path).fileName();
    {
        const RegularFile check(path);
        if (!check.isOpen()) {
            error = QStringLiteral("The audio file \"%1\" cannot be read: %2.").arg(name, check.error());
            return nullptr;
        }
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        error = QStringLiteral("The audio file \"%1\" cannot be read: %2.").arg(name, file->errorString());
        return nullptr;
    }
    return file;
}

} // namespace stanzary
