#include "store/SongNames.h"

namespace stanzary {

QString GetArtist(const QString &name)
{
    const qsizetype dash = name.indexOf(u'-');
    return dash < 0 ? QString() : name.left(dash).trimmed();
}

QString GetSong(const QString &name)
{
    const qsizetype dash = name.indexOf(u'-');
    return dash < 0 ? name.trimmed() : name.mid(dash + 1).trimmed();
}

QString LastPathPart(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

} // namespace stanzary
