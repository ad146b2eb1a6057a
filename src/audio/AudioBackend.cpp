#include "audio/AudioBackend.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QtGlobal>

namespace stanzary {

namespace {
const char kBackendVariable[] = "QT_MEDIA_BACKEND";
}

void chooseAudioBackend()
{
    if (qEnvironmentVariableIsEmpty(kBackendVariable))
        qputenv(kBackendVariable, QByteArrayLiteral("ffmpeg"));
}

void startAudio()
{
    chooseAudioBackend();
    QMediaDevices::audioOutputs();
}

QString audioBackendName()
{
    return qEnvironmentVariable(kBackendVariable);
}

bool hasSoundOutput()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

} // namespace stanzary
