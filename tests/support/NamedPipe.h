#pragma once

#include <QString>

#include <functional>

namespace stanzary::test {

// A named pipe at path (made with mkfifo); fails the test program when it
// cannot be made.
void makeNamedPipe(const QString &path);

// Runs work (on this thread) and tells whether it finished within a few
// seconds. A reader stuck in opening the pipe at pipePath is set free by
// opening the pipe's other end, so that the test still ends (and fails); one
// stuck for good (reading a pipe it opened for writing too) ends the test
// program, which fails instead of waiting for ever.
bool finishesWithoutWaiting(const QString &pipePath, const std::function<void()> &work);

// The rows (column "file", a file name) of a test of files that hold no
// audio: "missing", "named pipe", "text"; makeNotAudio makes the file of a
// row in folder (a missing one stays missing) and gives its path.
void addNotAudioRows();
QString makeNotAudio(const QString &folder, const QString &fileName);

} // namespace stanzary::test
