#pragma once

#include <QString>

#include <functional>

namespace stanzary {

// How a long procedure of the core (the collection scan, the MP3 folder
// scan, loading a timestamp file, a tagging run) keeps the one who runs it
// informed. The core never runs an event loop: the window passes a
// letPendingEventsRun that does (painting, a stop button's click), the
// command line prints the status or the progress. Each may be empty; a
// procedure says which it calls, and when.
struct ProgressCallbacks
{
    // At the procedure's pauses: the caller lets its pending events run.
    std::function<void()> letPendingEventsRun;
    // What the procedure is at, as a line for the user ("Matches: 3 / 9").
    std::function<void(const QString &status)> status;
    // How many of its steps are done, of how many.
    std::function<void(int done, int total)> progress;
    // Asked right after the events ran: true ends the procedure early.
    std::function<bool()> stopRequested;

    void letEventsRun() const
    {
        if (letPendingEventsRun)
            letPendingEventsRun();
    }
    void tell(const QString &text) const
    {
        if (status)
            status(text);
    }
    void count(int done, int total) const
    {
        if (progress)
            progress(done, total);
    }
    bool stopping() const { return stopRequested && stopRequested(); }
};

} // namespace stanzary
