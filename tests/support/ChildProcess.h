#pragma once

#include <QtGlobal>

#include <functional>
#include <initializer_list>

namespace stanzary::test {

// How a child process ended.
struct ChildEnd
{
    bool stopped = false; // it called stop, and was killed there
    bool exitedNormally = false;
    int exitCode = -1;
    int signal = 0;
};

// The call a child makes at the moment it is to be killed.
using StopHere = std::function<void()>;

// Runs work in a child process; the child exits 0 when work returns true, 1
// otherwise. When work calls stop, the child tells the parent and waits; the
// parent runs whileStopped (when given: the child is alive and holds what it
// holds, its locks too) and then kills it with SIGKILL, so that nothing after
// that moment runs: no destructor, no flush, no rollback.
ChildEnd runInChild(const std::function<bool(const StopHere &stop)> &work,
                    const std::function<void()> &whileStopped = {});

// For a child: its files may not grow past limit bytes, with SIGXFSZ at its
// default as in a freshly started program. False when the limit cannot be set.
bool limitFileSize(qint64 limit);

// For a child: it becomes the user "nobody", who may write only what the
// test opened to everyone (the test must be run by root). False when not.
bool becomeNobody();
constexpr unsigned NobodyId = 65534;

// For a child: from now on every call of the given system calls (SYS_link,
// SYS_fchmod, ...) fails at once with error, as on a file system or system
// that refuses them, without reaching the kernel's file systems. False when
// the system offers no such filter (seccomp).
bool failSystemCalls(std::initializer_list<long> calls, int error);

// Mounts an empty file system of sizeBytes at folder, seen by this process
// only (it gets a mount namespace of its own, so the mount goes when the test
// ends, however it ends). False when the system does not allow it (the test
// is not run by root): the test then says so and skips.
bool mountSmallFileSystem(const QString &folder, qint64 sizeBytes);

} // namespace stanzary::test
