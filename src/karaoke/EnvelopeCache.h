#pragma once

#include "karaoke/SoundEnvelope.h"
#include "platform/SafeWrite.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace stanzary {

// Which audio file an envelope was made from: its absolute path, size and
// time of last change. A file copied over, re-encoded or touched has
// another key, so its old envelope is not used.
struct AudioFileKey
{
    QString path;
    qint64 size = -1;
    qint64 modifiedMs = 0; // since the epoch, UTC
    bool isValid() const { return size >= 0; }
    friend bool operator==(const AudioFileKey &, const AudioFileKey &) = default;
};

// The key of the file at path as it is now; invalid when it is not there.
AudioFileKey audioFileKey(const QString &path);

// The envelopes of the songs the editor has shown, kept in the user's cache
// folder so that a song's waveform appears at once on the next visit: one
// small file per audio file, named after a digest of its path, holding the
// key it was made for, the envelope and a digest of the whole. A file that
// is damaged, cut short, of another version or made for another key reads
// as none (the envelope is then made again and the file replaced). Files are
// written whole through writeFileSafely; losing one costs a decoding, never
// anything the user wrote.
class EnvelopeCache
{
public:
    // folder: where the files go (made when needed); by default the
    // "waveforms" folder of the user's cache folder.
    explicit EnvelopeCache(const QString &folder = defaultFolder());
    static QString defaultFolder();

    QString fileFor(const QString &audioPath) const;
    std::optional<SoundEnvelope> read(const AudioFileKey &key) const;
    WriteResult write(const AudioFileKey &key, const SoundEnvelope &envelope) const;

private:
    QString m_folder;
};

} // namespace stanzary
