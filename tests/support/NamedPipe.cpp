#include "NamedPipe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <chrono>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stanzary::test {

void makeNamedPipe(const QString &path)
{
    if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
        qFatal("makeNamedPipe: cannot make %s", qPrintable(path));
}

void addNotAudioRows()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("missing") << QStringLiteral("missing.mp3");
    QTest::newRow("named pipe") << QStringLiteral("pipe.mp3");
    QTest::newRow("text") << QStringLiteral("text.mp3");
}

QString makeNotAudio(const QString &folder, const QString &fileName)
{
    const QString path = QDir(folder).filePath(fileName);
    if (fileName == QStringLiteral("pipe.mp3") && !QFileInfo::exists(path))
        makeNamedPipe(path);
    QFile text(path);
    if (fileName == QStringLiteral("text.mp3") && text.open(QIODevice::WriteOnly))
        text.write(QByteArray(4000, 'x'));
    return path;
}

bool finishesWithoutWaiting(const QString &pipePath, const std::function<void()> &work)
{
    using namespace std::chrono_literals;
    std::promise<void> finished;
    const QByteArray pipe = QFile::encodeName(pipePath);
    auto watchdog = std::async(std::launch::async, [&pipe, done = finished.get_future()] {
        if (done.wait_for(10s) == std::future_status::ready)
            return true;
        for (int tries = 0; done.wait_for(50ms) != std::future_status::ready; ++tries) {
            if (tries == 200)
                qFatal("finishesWithoutWaiting: still waiting on the named pipe %s", pipe.constData());
            // A reader waits in open() for a writer, a writer for a reader:
            // be the other end, then let go again.
            for (const int mode : {O_WRONLY | O_NONBLOCK, O_RDONLY | O_NONBLOCK}) {
                const int fd = ::open(pipe.constData(), mode);
                if (fd >= 0)
                    ::close(fd);
            }
        }
        return false;
    });
    work();
    finished.set_value();
    return watchdog.get();
}

} // namespace stanzary::test
