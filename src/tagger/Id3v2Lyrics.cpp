#include "tagger/Id3v2Lyrics.h"

#include "platform/RegularFile.h"
#include "tagger/Id3v2Frames.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <id3v2framefactory.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <synchronizedlyricsframe.h>
#include <tfilestream.h>
#include <unsynchronizedlyricsframe.h>

#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

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

// The tag library reads and writes a file that is open here already, as a
// regular file, through a descriptor of its own: never by its name, so a
// named pipe put in the file's place cannot make it wait.
class TagLibMp3
{
public:
    TagLibMp3(const RegularFile &file, const QString &path, bool readOnly)
    {
#ifdef Q_OS_UNIX
        Q_UNUSED(path);
        const int fd = file.duplicateDescriptor();
        if (fd < 0)
            return;
        m_stream = std::make_unique<TagLib::FileStream>(fd, readOnly);
        if (!m_stream->isOpen()) {
            ::close(fd); // the stream closes only what it opened
            return;
        }
#else
        if (!file.isOpen())
            return;
        m_stream = std::make_unique<TagLib::FileStream>(QFile::encodeName(path).constData(), readOnly);
#endif
        m_mp3 = std::make_unique<TagLib::MPEG::File>(m_stream.get(), TagLib::ID3v2::FrameFactory::instance(), false);
    }
    bool isValid() const
    {
        return m_mp3 && m_mp3->isOpen() && m_mp3->isValid();
    }
    TagLib::MPEG::File &mp3()
    {
        return *m_mp3;
    }

private:
    std::unique_ptr<TagLib::FileStream> m_stream; // outlives m_mp3
    std::unique_ptr<TagLib::MPEG::File> m_mp3;
};

// The ID3v2 tag at the start of the file (see id3v2TagSizeAtStart): its
// bytes, empty when there is none; nothing when it is damaged.
std::optional<QByteArray> tagAtStart(const RegularFile &file)
{
    const std::optional<qint64> size = id3v2TagSizeAtStart(file.read(0, 10), file.size());
    if (!size)
        return std::nullopt;
    const QByteArray tag = file.read(0, *size);
    return tag.size() == *size ? std::optional<QByteArray>(tag) : std::nullopt;
}

// True when the bytes of a from offset aOffset on are exactly those of b from
// bOffset on, to the end of both.
bool sameRest(const RegularFile &a, qint64 aOffset, const RegularFile &b, qint64 bOffset)
{
    if (a.size() - aOffset != b.size() - bOffset)
        return false;
    for (qint64 done = 0; done < a.size() - aOffset; done += kCompareChunk) {
        const QByteArray ca = a.read(aOffset + done, kCompareChunk);
        if (ca.isEmpty() || ca != b.read(bOffset + done, kCompareChunk))
            return false;
    }
    return true;
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

std::optional<QString> unsyncedLyricsOf(const RegularFile &file, const QString &path)
{
    TagLibMp3 tagged(file, path, true);
    if (!tagged.isValid() || !tagged.mp3().hasID3v2Tag())
        return std::nullopt;
    auto *frame = preferredFrame<TagLib::ID3v2::UnsynchronizedLyricsFrame>(*tagged.mp3().ID3v2Tag(), "USLT");
    if (!frame)
        return std::nullopt;
    return fromTagString(frame->text());
}

std::optional<QList<SyncedLine>> syncedLyricsOf(const RegularFile &file, const QString &path)
{
    using TagLib::ID3v2::SynchronizedLyricsFrame;
    TagLibMp3 tagged(file, path, true);
    if (!tagged.isValid() || !tagged.mp3().hasID3v2Tag())
        return std::nullopt;
    auto *frame = preferredFrame<SynchronizedLyricsFrame>(*tagged.mp3().ID3v2Tag(), "SYLT");
    if (!frame || frame->timestampFormat() != SynchronizedLyricsFrame::AbsoluteMilliseconds)
        return std::nullopt;
    QList<SyncedLine> lines;
    for (const SynchronizedLyricsFrame::SynchedText &entry : frame->synchedText())
        lines.append({entry.time, fromTagString(entry.text)});
    return lines;
}

// The lyrics frames writing frames replaces (see replaceUnsynced and
// replaceSynced): USLT, and SYLT of lyrics (content type 1, the sixth byte)
// when synchronised lines are written, with an empty description.
bool replacedBy(const Id3v2LyricsFrames &frames, const Id3v2Frame &frame)
{
    const QByteArray id = laterFrameId(frame.id);
    const bool lyrics =
        id == "USLT" || (frames.synced && id == "SYLT" && frame.data.size() > 5 && frame.data.at(5) == 1);
    return lyrics && id3v2FrameDescription(frame) == QString();
}

// The frames into the copy; original is the file the copy was made of. The
// new tag is read back and must hold every frame of the old one but the
// lyrics frames replaced, and everything behind it must be as before.
bool changeCopy(const QString &copyPath, const QString &original, const Id3v2LyricsFrames &frames, QString &failure)
{
    std::optional<QByteArray> oldTag;
    std::optional<Id3v2TagFrames> oldFrames;
    {
        const RegularFile copy(copyPath, FileAccess::ReadWrite);
        if (!copy.isOpen()) {
            failure = QStringLiteral("The copy of the file cannot be opened: ") + copy.error();
            return false;
        }
        oldTag = tagAtStart(copy);
        if (oldTag && !oldTag->isEmpty())
            oldFrames = readId3v2Frames(*oldTag);
        if (!oldTag || (!oldTag->isEmpty() && !oldFrames)) {
            failure = QStringLiteral("The file's ID3v2 tag is damaged; the file is left as it is.");
            return false;
        }
        TagLibMp3 tagged(copy, copyPath, false);
        if (!tagged.isValid()) {
            failure = QStringLiteral("The file cannot be read as an MP3 file.");
            return false;
        }
        TagLib::MPEG::File &file = tagged.mp3();
        if (file.hasID3v2Tag() && oldTag->isEmpty()) {
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
    const RegularFile copy(copyPath);
    const RegularFile old(original);
    const std::optional<QByteArray> newTag = tagAtStart(copy);
    if (!newTag || newTag->isEmpty() || !old.isOpen() || !sameRest(copy, newTag->size(), old, oldTag->size())) {
        failure = QStringLiteral("Writing the ID3v2 tag would have changed the rest of the file; it is left as it is.");
        return false;
    }
    const std::optional<Id3v2TagFrames> newFrames = readId3v2Frames(*newTag);
    if (!newFrames) {
        failure = QStringLiteral("The new ID3v2 tag did not read back; the file is left as it is.");
        return false;
    }
    if (oldFrames) {
        const QStringList lost =
            id3v2FramesLost(*oldFrames, *newFrames, [&](const Id3v2Frame &frame) { return replacedBy(frames, frame); });
        if (!lost.isEmpty()) {
            failure = QStringLiteral("The file's ID3v2 tag holds frames (%1) that writing it again would lose; the "
                                     "file is left as it is.")
                          .arg(lost.join(QStringLiteral(", ")));
            return false;
        }
    }
    if (unsyncedLyricsOf(copy, copyPath) != frames.unsynced
        || (frames.synced && syncedLyricsOf(copy, copyPath) != frames.synced)) {
        failure = QStringLiteral("The ID3v2 lyrics did not read back as written; the file is left as it is.");
        return false;
    }
    return true;
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
    const RegularFile file(mp3Path);
    return file.isOpen() ? unsyncedLyricsOf(file, mp3Path) : std::nullopt;
}

std::optional<QList<SyncedLine>> readSyncedLyrics(const QString &mp3Path)
{
    const RegularFile file(mp3Path);
    return file.isOpen() ? syncedLyricsOf(file, mp3Path) : std::nullopt;
}

} // namespace stanzary
