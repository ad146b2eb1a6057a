#include "platform/FileEnds.h"

#include "platform/RegularFile.h"

#include <algorithm>

namespace stanzary {

FileEnds readFileEnds(const QString &path, qint64 headLength, qint64 tailLength)
{
    return readFileEnds(RegularFile(path), headLength, tailLength);
}

FileEnds readFileEnds(const RegularFile &file, qint64 headLength, qint64 tailLength)
{
    FileEnds ends;
    if (!file.isOpen())
        return ends;
    ends.opened = true;
    ends.size = file.size();
    const qint64 headBytes = std::clamp<qint64>(headLength, 0, ends.size);
    const qint64 tailBytes = std::clamp<qint64>(tailLength, 0, ends.size);
    if (headBytes > 0)
        ends.head = file.read(0, headBytes);
    if (tailBytes > 0) {
        // A small file's tail is inside its head already.
        if (ends.head.size() == ends.size)
            ends.tail = ends.head.right(tailBytes);
        else
            ends.tail = file.read(ends.size - tailBytes, tailBytes);
    }
    return ends;
}

} // namespace stanzary
