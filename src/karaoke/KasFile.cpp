#include "karaoke/KasFile.h"

#include "platform/DirListing.h"
#include "platform/RegularFile.h"

namespace stanzary {

namespace {

constexpr int kCodeBase = 64;
constexpr int kFifthsPerMinute = 300;
constexpr qsizetype kRecordSize = 4;

// The folder part (with its "/") and the file name of a path.
std::pair<QString, QString> splitPath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return {path.left(slash + 1), path.mid(slash + 1)};
}

QString onDiskName(const QString &kasPath)
{
    const auto [dir, name] = splitPath(kasPath);
    return findFileIgnoringCase(dir.isEmpty() ? QStringLiteral(".") : dir, name);
}

} // namespace

QString KasPathFor(const QString &lyricsPath)
{
    return lyricsPath.left(qMax<qsizetype>(0, lyricsPath.size() - 3)) + QStringLiteral("kas");
}

bool KasFileExists(const QString &lyricsPath)
{
    return !onDiskName(KasPathFor(lyricsPath)).isEmpty();
}

QString pathOnDisk(const QString &path)
{
    const QString real = onDiskName(path);
    if (real.isEmpty())
        return path;
    return splitPath(path).first + real;
}

QString kasPathOnDisk(const QString &lyricsPath)
{
    return pathOnDisk(KasPathFor(lyricsPath));
}

std::optional<StampTime> CodeToTime(const QByteArray &code)
{
    if (code.size() != 2)
        return std::nullopt;
    const int c1 = quint8(code.at(0));
    const int c2 = quint8(code.at(1));
    if (c1 < kCodeBase || c2 < kCodeBase)
        return std::nullopt;
    const int t = (c1 - kCodeBase) * 64 + (c2 - kCodeBase);
    const int inMinute = t % kFifthsPerMinute;
    return StampTime{quint8(t / kFifthsPerMinute), quint8(inMinute / 5), quint8(inMinute % 5 * 2)};
}

std::optional<QByteArray> TimeToCode(const StampTime &time)
{
    if (time.Second > 59 || time.Frame > 8 || time.Frame % 2 != 0)
        return std::nullopt;
    const int t = time.Minute * kFifthsPerMinute + time.Second * 5 + time.Frame / 2;
    const int c1 = kCodeBase + t / 64;
    if (c1 > 255)
        return std::nullopt;
    QByteArray code(2, Qt::Uninitialized);
    code[0] = char(c1);
    code[1] = char(kCodeBase + t % 64);
    return code;
}

bool isPickerTime(const StampTime &time)
{
    return time.Minute <= 13 && time.Second <= 59 && time.Frame <= 8 && time.Frame % 2 == 0;
}

KasContent parseKas(const QByteArray &bytes)
{
    KasContent content;
    content.raw = bytes;
    const qsizetype semicolon = bytes.indexOf(';');
    const qsizetype stampEnd = semicolon < 0 ? bytes.size() : semicolon;
    if (semicolon >= 0)
        content.tail = bytes.mid(semicolon);
    else {
        content.status = KasReadStatus::Malformed;
        content.detail = QStringLiteral("The timestamp file has no \";\".");
    }

    const qsizetype count = stampEnd / kRecordSize;
    for (qsizetype i = 0; i < count; ++i) {
        KasRecord record{bytes.mid(i * kRecordSize, 2), bytes.mid(i * kRecordSize + 2, 2)};
        if (!CodeToTime(record.code)) {
            content.status = KasReadStatus::Malformed;
            content.detail = QStringLiteral("Stamp %1 of the timestamp file has an invalid time code.").arg(i + 1);
            return content;
        }
        content.records.append(record);
    }
    if (content.ok() && stampEnd % kRecordSize != 0) {
        content.status = KasReadStatus::Malformed;
        content.detail =
            QStringLiteral("The stamps of the timestamp file do not come in whole records of 4 characters.");
    }
    return content;
}

KasContent readKasFile(const QString &path)
{
    const FileContent file = readRegularFile(path, MaxTextFileBytes);
    if (!file.ok()) {
        KasContent content;
        content.status = KasReadStatus::Unreadable;
        content.detail = QStringLiteral("The timestamp file could not be read: ") + file.error + u'.';
        return content;
    }
    return parseKas(file.bytes);
}

bool isStoredRecord(const KasRecord &record)
{
    return record.prefix != QByteArrayLiteral("  ");
}

QByteArray composeKas(const QList<KasRecord> &records, const QByteArray &tail)
{
    QByteArray out;
    out.reserve(records.size() * kRecordSize + tail.size() + 2);
    for (const KasRecord &record : records) {
        if (!isStoredRecord(record))
            continue;
        out += record.code;
        out += record.prefix;
    }
    out += tail;
    if (!tail.endsWith("\r\n"))
        out += "\r\n";
    return out;
}

WriteResult writeKasFile(const QString &path, const QList<KasRecord> &records, const QByteArray &tail)
{
    return writeFileSafely(path, composeKas(records, tail));
}

} // namespace stanzary
