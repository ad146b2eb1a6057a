#include "tagger/Id3v2Lyrics.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <id3v2tag.h>
#include <mpegfile.h>
#include <synchronizedlyricsframe.h>
#include <unsynchronizedlyricsframe.h>

namespace stanzary {

namespace {

constexpr qint64 kCompareChunk = 1 << 20;
const TagLib::ByteVector kLanguage("XXX", 3);

TagLib::String toTagString(const QString &text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

QString fromTagString(const TagLib::String &text)
{
    return QString::fromStdString(text.to8Bit(true));
}

bool fitsLatin1(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
    }
    return true;
}

TagLib::String::Type encodingFor(const QString &text)
{
    return fitsLatin1(text) ? TagLib::String::Latin1 : TagLib::String::UTF16;
}

// The size of the ID3v2 tag at the start of the file (see id3v2TagSizeAtStart).
std::optional<qint64> tagSizeOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return id3v2TagSizeAtStart(file.read(10), file.size());
}

// True when the bytes of a from offset aOffset on are exactly those of b from
// bOffset on, to the end of both.
bool sameRest(const QString &a, qint64 aOffset, const QString &b, qint64 bOffset)
{
    QFile fa(a);
    QFile fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    if (fa.size() - aOffset != fb.size() - bOffset || !fa.seek(aOffset) || !fb.seek(bOffset))
        return false;
    for (;;) {
        const QByteArray ca = fa.read(kCompareChunk);
        const QByteArray cb = fb.read(kCompareChunk);
        if (ca != cb)
            return false;
        if (ca.isEmpty())
            return fa.error() == QFileDevice::NoError && fb.error() == QFileDevice::NoError;
    }
}

// The frame IDs of an ID3v2.2 or 2.3 tag (the whole tag's bytes), walked as
// far as the frames are well-formed.
QList<QByteArray> olderTagFrameIds(const QByteArray &tag)
{
    QList<QByteArray> ids;
    if (tag.size() < 10)
        return ids;
    const int major = quint8(tag.at(3));
    const int idSize = major == 2 ? 3 : 4;
    const int headerSize = major == 2 ? 6 : 10;
    qsizetype at = 10;
    if (major == 3 && (quint8(tag.at(5)) & 0x40) && tag.size() >= 14)
        at += 4
              + ((quint8(tag.at(10)) << 24) | (quint8(tag.at(11)) << 16) | (quint8(tag.at(12)) << 8)
                 | quint8(tag.at(13)));
    while (at + headerSize <= tag.size() && tag.at(at) != '\0') {
        qint64 size = 0;
        for (int i = idSize; i < idSize + (major == 2 ? 3 : 4); ++i)
            size = size * 256 + quint8(tag.at(at + i));
        ids.append(tag.mid(at, idSize));
        at += headerSize + size;
    }
    return ids;
}

// Frames of an ID3v2.2 or 2.3 tag that the tag library drops when it writes
// the tag again (they have no ID3v2.4 counterpart); a tag holding one is not
// rewritten, so that nothing stored in it is lost.
QStringList framesTheLibraryDrops(const QString &path, qint64 tagSize)
{
    static const QList<QByteArray> dropped{"EQUA", "RVAD", "TRDA", "TSIZ", "EQU", "RVA", "TRD", "TSI"};
    QFile file(path);
    if (tagSize < 10 || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray tag = file.read(tagSize);
    QStringList found;
    if (quint8(tag.at(3)) >= 4)
        return found;
    for (const QByteArray &id : olderTagFrameIds(tag)) {
        if (dropped.contains(id) && !found.contains(QString::fromLatin1(id)))
            found.append(QString::fromLatin1(id));
    }
    return found;
}

void replaceUnsynced(TagLib::ID3v2::Tag &tag, const QString &text)
{
    const TagLib::ID3v2::FrameList old = tag.frameList("USLT");
    for (TagLib::ID3v2::Frame *frame : old) {
        auto *lyrics = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame *>(frame);
        if (lyrics && lyrics->description().isEmpty())
            tag.removeFrame(frame, true);
    }
    auto *frame = new TagLib::ID3v2::UnsynchronizedLyricsFrame(encodingFor(text));
    frame->setLanguage(kLanguage);
    frame->setText(toTagString(text));
    tag.addFrame(frame);
}

void replaceSynced(TagLib::ID3v2::Tag &tag, const QList<SyncedLine> &lines)
{
    using TagLib::ID3v2::SynchronizedLyricsFrame;
    const TagLib::ID3v2::FrameList old = tag.frameList("SYLT");
    for (TagLib::ID3v2::Frame *frame : old) {
        auto *synced = dynamic_cast<SynchronizedLyricsFrame *>(frame);
        if (synced && synced->description().isEmpty() && synced->type() == SynchronizedLyricsFrame::Lyrics)
            tag.removeFrame(frame, true);
    }
    QString all;
    SynchronizedLyricsFrame::SynchedTextList entries;
    for (const SyncedLine &line : lines) {
        all += line.text;
        entries.append(SynchronizedLyricsFrame::SynchedText(line.milliseconds, toTagString(line.text)));
    }
    auto *frame = new SynchronizedLyricsFrame(encodingFor(all));
    frame->setLanguage(kLanguage);
    frame->setTimestampFormat(SynchronizedLyricsFrame::AbsoluteMilliseconds);
    frame->setType(SynchronizedLyricsFrame::Lyrics);
    frame->setSynchedText(entries);
    tag.addFrame(frame);
}

// The frames into the copy; original is the file the copy was made of.
bool changeCopy(const QString &copyPath, const QString &original, const Id3v2LyricsFrames &frames, QString &failure)
{
    const std::optional<qint64> oldTag = tagSizeOf(copyPath);
    if (!oldTag) {
        failure = QStringLiteral("The file's ID3v2 tag is damaged; the file is left as it is.");
        return false;
    }
    const QStringList dropped = framesTheLibraryDrops(copyPath, *oldTag);
    if (!dropped.isEmpty()) {
        failure = QStringLiteral("The file's ID3v2 tag holds frames (%1) that writing it again would lose; the file "
                                 "is left as it is.")
                      .arg(dropped.join(QStringLiteral(", ")));
        return false;
    }
    {
        TagLib::MPEG::File file(QFile::encodeName(copyPath).constData(), false);
        if (!file.isOpen() || !file.isValid()) {
            failure = QStringLiteral("The file cannot be read as an MP3 file.");
            return false;
        }
        if (file.hasID3v2Tag() && *oldTag == 0) {
            failure = QStringLiteral("The file has an ID3v2 tag that is not at its start; the file is left as it is.");
            return false;
        }
        TagLib::ID3v2::Tag *tag = file.ID3v2Tag(true);
        const auto version =
            file.hasID3v2Tag() && tag->header()->majorVersion() == 4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3;
        replaceUnsynced(*tag, frames.unsynced);
        if (frames.synced)
            replaceSynced(*tag, *frames.synced);
        if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version, TagLib::File::DoNotDuplicate)) {
            failure = QStringLiteral("The tag library could not write the ID3v2 tag.");
            return false;
        }
    }
    // Behind the new tag, the copy must hold exactly what the file held
    // behind its old one: audio, APE, Lyrics3 and ID3v1 tags.
    const std::optional<qint64> newTag = tagSizeOf(copyPath);
    if (!newTag || *newTag == 0 || !sameRest(copyPath, *newTag, original, *oldTag)) {
        failure = QStringLiteral("Writing the ID3v2 tag would have changed the rest of the file; it is left as it is.");
        return false;
    }
    if (readUnsyncedLyrics(copyPath) != frames.unsynced
        || (frames.synced && readSyncedLyrics(copyPath) != frames.synced)) {
        failure = QStringLiteral("The ID3v2 lyrics did not read back as written; the file is left as it is.");
        return false;
    }
    return true;
}

template <typename FrameType>
FrameType *preferredFrame(TagLib::ID3v2::Tag &tag, const char *id)
{
    FrameType *first = nullptr;
    for (TagLib::ID3v2::Frame *frame : tag.frameList(id)) {
        auto *typed = dynamic_cast<FrameType *>(frame);
        if (!typed)
            continue;
        if (typed->description().isEmpty())
            return typed;
        if (!first)
            first = typed;
    }
    return first;
}

} // namespace

std::optional<qint64> id3v2TagSizeAtStart(const QByteArray &head, qint64 fileSize)
{
    if (!head.startsWith("ID3"))
        return 0;
    if (head.size() < 10)
        return std::nullopt;
    const int major = quint8(head.at(3));
    if (major < 2 || major > 4 || quint8(head.at(4)) == 0xff)
        return std::nullopt;
    qint64 size = 0;
    for (int i = 6; i < 10; ++i) {
        const int b = quint8(head.at(i));
        if (b >= 0x80)
            return std::nullopt;
        size = size * 128 + b;
    }
    const bool footer = major == 4 && (quint8(head.at(5)) & 0x10);
    const qint64 whole = 10 + size + (footer ? 10 : 0);
    if (whole > fileSize)
        return std::nullopt;
    return whole;
}

WriteResult writeId3v2Lyrics(const QString &mp3Path, const Id3v2LyricsFrames &frames, const RewriteHooks &hooks)
{
    const QString original = QFileInfo(mp3Path).canonicalFilePath();
    return rewriteThroughCopy(
        mp3Path,
        [&](const QString &copyPath, QString &failure) { return changeCopy(copyPath, original, frames, failure); },
        hooks);
}

std::optional<QString> readUnsyncedLyrics(const QString &mp3Path)
{
    TagLib::MPEG::File file(QFile::encodeName(mp3Path).constData(), false);
    if (!file.isValid() || !file.hasID3v2Tag())
        return std::nullopt;
    auto *frame = preferredFrame<TagLib::ID3v2::UnsynchronizedLyricsFrame>(*file.ID3v2Tag(), "USLT");
    if (!frame)
        return std::nullopt;
    return fromTagString(frame->text());
}

std::optional<QList<SyncedLine>> readSyncedLyrics(const QString &mp3Path)
{
    using TagLib::ID3v2::SynchronizedLyricsFrame;
    TagLib::MPEG::File file(QFile::encodeName(mp3Path).constData(), false);
    if (!file.isValid() || !file.hasID3v2Tag())
        return std::nullopt;
    auto *frame = preferredFrame<SynchronizedLyricsFrame>(*file.ID3v2Tag(), "SYLT");
    if (!frame || frame->timestampFormat() != SynchronizedLyricsFrame::AbsoluteMilliseconds)
        return std::nullopt;
    QList<SyncedLine> lines;
    for (const SynchronizedLyricsFrame::SynchedText &entry : frame->synchedText())
        lines.append({entry.time, fromTagString(entry.text)});
    return lines;
}

} // namespace stanzary
