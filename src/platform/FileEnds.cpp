#include "platform/FileEnds.h"

#include <QFile>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stanzary {

#ifdef Q_OS_UNIX

namespace {

// length bytes at offset, fewer when the file ends or a read fails.
QByteArray readRange(int fd, qint64 offset, qint64 length)
{
    QByteArray out(length, Qt::Uninitialized);
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, out.data() + done, std::size_t(length - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    out.truncate(done);
    return out;
}

} // namespace

FileEnds readFileEnds(const QString &path, qint64 headLength, qint64 tailLength)
{
    FileEnds ends;
    // O_NONBLOCK: a named pipe (or a link to one, which a listing shows as a
    // file) would otherwise block the open until some writer comes; it is
    // then refused below as not a regular file. Reads of a regular file are
    // not affected by the flag.
    int fd = -1;
    do {
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return ends;
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ends;
    }
    ends.opened = true;
    ends.size = st.st_size;
    const qint64 headBytes = std::clamp<qint64>(headLength, 0, ends.size);
    const qint64 tailBytes = std::clamp<qint64>(tailLength, 0, ends.size);
    if (headBytes > 0)
        ends.head = readRange(fd, 0, headBytes);
    if (tailBytes > 0) {
        // A small file's tail is inside its head already.
        if (ends.head.size() == ends.size)
            ends.tail = ends.head.right(tailBytes);
        else
            ends.tail = readRange(fd, ends.size - tailBytes, tailBytes);
    }
    ::close(fd);
    return ends;
}

#else

FileEnds readFileEnds(const QString &path, qint64 headLength, qint64 tailLength)
{
    FileEnds ends;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return ends;
    ends.opened = true;
    ends.size = file.size();
    const qint64 headBytes = std::clamp<qint64>(headLength, 0, ends.size);
    const qint64 tailBytes = std::clamp<qint64>(tailLength, 0, ends.size);
    if (headBytes > 0)
        ends.head = file.read(headBytes);
    if (tailBytes > 0) {
        if (ends.head.size() == ends.size)
            ends.tail = ends.head.right(tailBytes);
        else if (file.seek(ends.size - tailBytes))
            ends.tail = file.read(tailBytes);
    }
    return ends;
}

#endif

} // namespace stanzary
