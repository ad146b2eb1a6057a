#include "ChildProcess.h"

#include <QFile>
#include <QString>

#include <vector>

#include <csignal>
#include <cstddef>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace stanzary::test {

namespace {

ChildEnd waitFor(pid_t pid, bool stopped)
{
    ChildEnd end;
    end.stopped = stopped;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    end.exitedNormally = WIFEXITED(status);
    end.exitCode = end.exitedNormally ? WEXITSTATUS(status) : -1;
    end.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return end;
}

} // namespace

ChildEnd runInChild(const std::function<bool(const StopHere &stop)> &work, const std::function<void()> &whileStopped)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid < 0)
        return {};
    if (pid == 0) {
        ::close(fds[0]);
        const StopHere stop = [&] {
            const char c = 1;
            if (::write(fds[1], &c, 1) == 1) {
                for (;;)
                    ::pause();
            }
        };
        ::_exit(work(stop) ? 0 : 1);
    }
    ::close(fds[1]);
    char c = 0;
    const bool stopped = ::read(fds[0], &c, 1) == 1;
    if (stopped) {
        if (whileStopped)
            whileStopped();
        ::kill(pid, SIGKILL);
    }
    ::close(fds[0]);
    return waitFor(pid, stopped);
}

bool limitFileSize(qint64 limit)
{
    std::signal(SIGXFSZ, SIG_DFL);
    const rlimit fileSize{rlim_t(limit), rlim_t(limit)};
    return ::setrlimit(RLIMIT_FSIZE, &fileSize) == 0;
}

bool becomeNobody()
{
    return ::setgid(NobodyId) == 0 && ::setuid(NobodyId) == 0;
}

bool failSystemCalls(std::initializer_list<long> calls, int error)
{
    // A filter of the calling thread: load the call's number, compare it
    // with each of calls, fail the matching one with error, allow the rest.
    std::vector<sock_filter> filter{BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
    for (const long call : calls) {
        filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __u32(call), 0, 1));
        filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (__u32(error) & SECCOMP_RET_DATA)));
    }
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

bool mountSmallFileSystem(const QString &folder, qint64 sizeBytes)
{
    static const bool ownNamespace = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0
                                     && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    const QByteArray options = "size=" + QByteArray::number(sizeBytes);
    return ownNamespace
           && ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) == 0;
}

} // namespace stanzary::test
