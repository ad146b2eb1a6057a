#include "NamedPipe.h"

#include <QFile>
#include <QtGlobal>

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

bool finishesWithoutWaiting(const QString &pipePath, const std::function<void()> &work)
{
    auto done = std::async(std::launch::async, work);
    const bool finished = done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    const QByteArray pipe = QFile::encodeName(pipePath);
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        // A reader waits in open() for a writer, a writer for a reader: be
        // the other end, then let go again.
        for (const int mode : {O_WRONLY | O_NONBLOCK, O_RDONLY | O_NONBLOCK}) {
            const int fd = ::open(pipe.constData(), mode);
            if (fd >= 0)
                ::close(fd);
        }
    }
    done.get();
    return finished;
}

} // namespace stanzary::test
