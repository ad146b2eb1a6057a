#pragma once

#include "platform/SafeWrite.h"

#include <QString>

#include <functional>

namespace stanzary {

// Changing a file whose change is not a write of its tail (an ID3v2 tag at
// the front of an MP3 file grows or shrinks everything behind it). The file
// itself is never written: a complete copy is made beside it, changed, synced
// to the disk and then renamed over the old file in one step, so a crash or a
// failure at any moment leaves the old file or the new one, never a mix.

// The moments of a rewrite, for tests that stop the writing process there.
enum class RewriteStep {
    CopyMade,    // the copy holds the old bytes
    CopyChanged, // the change has been made to the copy
    CopySynced,  // the copy is on the disk
    Replaced,    // the copy has the old file's name; its folder is synced
};

struct RewriteHooks
{
    std::function<void(RewriteStep)> reached;
};

// Makes the change on a copy at copyPath; false with a reason for the user
// in failure when the change could not be made (the copy is then dropped).
using CopyChange = std::function<bool(const QString &copyPath, QString &failure)>;

// The copy's name beside path: the name of every replacement of ours (see
// ReplacementFile), a hidden file of the same folder that is never listed as
// a song or an MP3 file. A leftover from a crash is removed by the next
// rewrite of the file or the next scan of its folder.
QString rewriteCopyPath(const QString &path);

// Rewrites the file at path (a symbolic link is followed: its target is
// rewritten) through change. The copy gets the old file's permissions (and,
// where allowed, its owner and group) before any byte goes into it. A
// read-only file is refused (ReadOnly, nothing done); a folder where no copy
// can be made, a change that fails, or a failed sync or rename give Failed
// with the reason, and the old file is as it was. Hard links to the old
// file keep the old content: the name is given a new file.
WriteResult rewriteThroughCopy(const QString &path, const CopyChange &change, const RewriteHooks &hooks = {});

} // namespace stanzary
