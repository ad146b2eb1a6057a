#include "platform/DurableFile.h"

#include <QFile>
#include <QFileDevice>
#include <QString>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace stanzary {

#ifdef Q_OS_UNIX

bool syncToDisk(QFileDevice &file)
{
    if (!file.flush())
        return false;
    const int fd = file.handle();
    if (fd < 0)
        return false;
    int rc = 0;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

bool syncFolder(const QString &folder)
{
    int fd = -1;
    do {
        fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    int rc = 0;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    ::close(fd);
    return rc == 0;
}

void ignoreFileSizeSignal()
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
}

#else

// Qt offers no portable sync: flushing hands the bytes to the system, which
// is all that can be done here.
bool syncToDisk(QFileDevice &file)
{
    return file.flush();
}

bool syncFolder(const QString &)
{
    return true;
}

void ignoreFileSizeSignal() {}

#endif

} // namespace stanzary
