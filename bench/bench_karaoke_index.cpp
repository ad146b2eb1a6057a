// Karaoke availability over a large collection: 30,000 song names asked of
// an index of 200,000 records. The baseline is the plain scan of the whole
// index per song (accept a hit only on a record boundary, continue after a
// misaligned one); it is measured in the same run as the hashed lookup, and
// both must give the same answer for every song (the program fails otherwise).
//   cmake --build <build dir> --target run-bench_karaoke_index
#include "karaoke/KaraokeIndex.h"
#include "karaoke/Md5.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <chrono>
#include <cstdio>

using namespace stanzary;

namespace {

constexpr int kSongs = 30000;
constexpr int kRecords = 200000;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

QList<QString> songNames()
{
    QList<QString> names;
    names.reserve(kSongs);
    for (int i = 0; i < kSongs; ++i) {
        const QString artist = i % 7 == 0 ? QStringLiteral("\u00c9lo\u00efse %1").arg(i / 40)
                                          : QStringLiteral("Band Number %1").arg(i / 12);
        names << artist + QStringLiteral(" - Song Title ") + QString::number(i) + QStringLiteral(".txt");
    }
    return names;
}

// The key cut from the decimal digest: 15 digits in groups of three.
QByteArray keyFromDigits(const clsMD5Hash &hasher, const QString &fileName)
{
    QString name = fileName;
    name.chop(4);
    const QString digits = hasher.MD5(name);
    QByteArray key(5, '\0');
    for (int i = 0; i < 5; ++i)
        key[i] = char(digits.mid(3 * i, 3).toInt());
    return key;
}

bool linearLookup(const QByteArray &index, const clsMD5Hash &hasher, const QString &fileName)
{
    if (index.isEmpty())
        return false;
    const QByteArray key = keyFromDigits(hasher, fileName);
    for (qsizetype at = index.indexOf(key); at >= 0; at = index.indexOf(key, at + 1)) {
        if (at % 5 == 0)
            return true;
    }
    return false;
}

// Random records, with the keys of every third song at record boundaries and
// the keys of some others deliberately misaligned, plus a partial record.
QByteArray buildIndex(const QList<QString> &names)
{
    QRandomGenerator rng(20240310);
    QByteArray index(qsizetype(kRecords) * 5, '\0');
    for (char &c : index)
        c = char(rng.bounded(256));
    const clsMD5Hash hasher;
    for (int i = 0; i < names.size(); ++i) {
        if (i % 3 == 0) {
            const qsizetype record = rng.bounded(kRecords);
            index.replace(record * 5, 5, keyFromDigits(hasher, names.at(i)));
        } else if (i % 29 == 1) {
            const qsizetype at = qsizetype(rng.bounded(kRecords - 1)) * 5 + 1 + rng.bounded(4);
            index.replace(at, 5, keyFromDigits(hasher, names.at(i)));
        }
    }
    return index + QByteArray("\x11\x22", 2);
}

} // namespace

int main()
{
    const QList<QString> names = songNames();
    const QByteArray bytes = buildIndex(names);
    std::printf("karaoke index: %d song names against %lld records (%lld bytes)\n", kSongs,
                static_cast<long long>(bytes.size() / 5), static_cast<long long>(bytes.size()));

    auto start = Clock::now();
    const clsMD5Hash hasher;
    QList<bool> linear;
    linear.reserve(names.size());
    for (const QString &name : names)
        linear << linearLookup(bytes, hasher, name);
    const double linearSeconds = secondsSince(start);

    start = Clock::now();
    KaraokeIndex index;
    index.setBytes(bytes);
    const double buildSeconds = secondsSince(start);
    QList<bool> hashed;
    hashed.reserve(names.size());
    for (const QString &name : names)
        hashed << index.IsKaraokeAvailable(name);
    const double hashedSeconds = secondsSince(start);

    int mismatches = 0;
    int available = 0;
    for (int i = 0; i < names.size(); ++i) {
        mismatches += linear.at(i) != hashed.at(i);
        available += hashed.at(i);
    }

    std::printf("linear scan per song      : %9.3f s  (%8.2f us per song)\n", linearSeconds,
                linearSeconds * 1e6 / kSongs);
    std::printf("hashed lookup incl. build : %9.3f s  (%8.2f us per song; building the set %.3f s)\n", hashedSeconds,
                hashedSeconds * 1e6 / kSongs, buildSeconds);
    std::printf("available songs           : %d of %d, answers differing: %d\n", available, kSongs, mismatches);
    std::printf("ratio linear / hashed     : %.0fx (target: at least 100x)\n", linearSeconds / hashedSeconds);
    return mismatches == 0 ? 0 : 1;
}
