// Fuzzes the ID3v2 frame reader with arbitrary tags: it reads nothing outside
// the tag, the frames it gives are what their version has, and a tag
// compared with itself, in any order of its frames, loses nothing.

#include "FuzzCheck.h"
#include "tagger/Id3v2Frames.h"

#include <algorithm>

using namespace stanzary;
using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const std::optional<Id3v2TagFrames> tag = readId3v2Frames(bytes);
    if (!tag)
        return 0;
    check(tag->version >= 2 && tag->version <= 4);
    qsizetype stored = 0;
    for (const Id3v2Frame &frame : tag->frames) {
        check(frame.id.size() == (tag->version == 2 ? 3 : 4));
        check(tag->version >= 3 || frame.flags == 0);
        stored += frame.data.size();
        id3v2FrameDescription(frame);
    }
    check(stored <= bytes.size());
    check(id3v2FramesLost(*tag, *tag, {}).isEmpty());
    Id3v2TagFrames reversed = *tag;
    std::reverse(reversed.frames.begin(), reversed.frames.end());
    check(id3v2FramesLost(*tag, reversed, {}).isEmpty());
    check(id3v2FramesLost(*tag, {}, {}).size() <= tag->frames.size());
    return 0;
}
