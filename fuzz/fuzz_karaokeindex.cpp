// Fuzzes the karaoke index ("kl.dbx"): the record count text is the length
// divided by 5, every whole record is found, and a lookup answers exactly as
// the plain search does (a hit counts only on a record boundary; the bytes
// after the last whole record never match).

#include "FuzzCheck.h"

#include "karaoke/KaraokeIndex.h"

#include <cmath>
#include <vector>

using namespace stanzary;
using stanzary::fuzz::check;

namespace {

// The plain search: every occurrence of the key, accepted only at a multiple of 5.
bool plainLookup(const QByteArray &index, const AvailabilityKey &key)
{
    const QByteArray needle(reinterpret_cast<const char *>(key.data()), qsizetype(key.size()));
    for (qsizetype at = index.indexOf(needle); at >= 0; at = index.indexOf(needle, at + 1)) {
        if (at % 5 == 0)
            return true;
    }
    return false;
}

AvailabilityKey keyAt(const QByteArray &bytes, qsizetype at)
{
    AvailabilityKey key{};
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = quint8(bytes.at(at + qsizetype(i)));
    return key;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    KaraokeIndex index;
    index.setBytes(bytes);
    check(index.byteSize() == bytes.size());
    check(index.isEmpty() == bytes.isEmpty());
    bool ok = false;
    const double count = index.recordCountText().toDouble(&ok);
    check(ok && std::llround(count * 10) == qint64(bytes.size()) * 2);

    // Keys read at every offset of the first records: aligned ones are found,
    // the others only when they also stand on a boundary somewhere.
    std::vector<AvailabilityKey> keys;
    for (qsizetype at = 0; at + 5 <= bytes.size() && at < 64; ++at) {
        const AvailabilityKey key = keyAt(bytes, at);
        check(index.containsKey(key) == plainLookup(bytes, key));
        if (at % 5 == 0)
            check(index.containsKey(key));
        keys.push_back(key);
    }
    // The same keys asked all at once.
    const std::vector<bool> found = index.containsKeys(keys);
    check(found.size() == keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        check(found[i] == plainLookup(bytes, keys[i]));
    // A name made from the input, looked up through its digest.
    const QString name = QString::fromLatin1(bytes.left(40)) + QStringLiteral(".txt");
    check(index.IsKaraokeAvailable(name) == plainLookup(bytes, availabilityKeyFor(name)));
    index.clear();
    check(index.isEmpty() && !index.IsKaraokeAvailable(name));
    return 0;
}
