#pragma once

#include "FakeInstallation.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace stanzary::test {

// What the command-line tests share: a fake installation that stanzary-cli
// finds as the window finds it, a folder of MP3 files matched to it, and a
// way to run the built program.

// MPEG-1 layer III frames, which a tag library takes for audio.
QByteArray mpegFrames(int n);
// An ID3v1 record with the given title.
QByteArray id3v1Record(const QByteArray &title);

// Lyrics with the host's filter mark, lyrics without it, and a timestamp file
// whose two stamps pair with the two lines of Filtered.
extern const QByteArray Filtered;
extern const QByteArray Unfiltered;
extern const QByteArray PairingStamps;

// The installation, in a Wine prefix beside it whose registry names it
// (through drive Z:, the whole file system), with songs:
//   Blue Lake - Night Train  filtered, with a timestamp file
//   Quiet Owls - Ember       filtered, available in the karaoke index
//   Quiet Owls - Ashes       unfiltered
//   Velvet Fox - Shared      filtered
//   Tin Drum - Tagged        filtered
class CliInstallation : public FakeInstallation
{
public:
    explicit CliInstallation(const QString &root);
    QString winePrefix() const { return m_prefix; }
    // The environment stanzary-cli is run in: WINEPREFIX names the prefix.
    QProcessEnvironment environment() const;

    // A folder of MP3 files below the root, folder/ and folder/sub/:
    //   blue lake night train.mp3       checked
    //   sub/Quiet Owls - Ember.mp3      checked (has an ID3v1 record)
    //   quiet owls ashes.mp3            unfiltered
    //   velvet fox shared 1.mp3, 2.mp3  matched more than once
    //   tin drum tagged.mp3             holds a Lyrics3 tag
    //   nothing at all.mp3              matches no song
    // Returns the folder's path, ending with "/".
    QString writeMp3Folder(const QString &folder);

private:
    QString m_prefix;
};

struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built stanzary-cli (program) with arguments in environment and
// waits for its end.
CliRun runCli(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment);

// Every file below folder (hidden ones included) with its bytes, by the path
// relative to folder.
QMap<QString, QByteArray> filesBelow(const QString &folder);

} // namespace stanzary::test
