#include "ui/LrcExportCommand.h"

#include "karaoke/KaraokeEdition.h"
#include "tagger/LrcExport.h"
#include "ui/UserDialogs.h"

#include <QFileInfo>

namespace stanzary {

namespace {

const QString Title = QStringLiteral("Stanzary");
constexpr int kListedStamps = 8;

QString recordsFailureText(const KasSaveResult &result)
{
    switch (result.status) {
    case KasSaveStatus::NotLoaded:
        return QStringLiteral("The timestamp file could not be read whole, so no .lrc file is made from it.");
    case KasSaveStatus::Unencodable:
        return QStringLiteral("A stamp's text holds \"") + result.detail
               + QStringLiteral("\", which a timestamp file cannot store. No .lrc file was written.");
    default: break;
    }
    return QStringLiteral("The stamps cannot be exported. No .lrc file was written.");
}

QString unpairedText(const QList<UnpairedStamp> &unpaired)
{
    QString text = QStringLiteral("No .lrc file was written: ");
    text +=
        unpaired.size() == 1 ? QStringLiteral("a stamp finds") : QStringLiteral("%1 stamps find").arg(unpaired.size());
    text += QStringLiteral(" no lyric line after the previous stamp's line that begins with its two characters:\n");
    for (int i = 0; i < unpaired.size() && i < kListedStamps; ++i)
        text += QStringLiteral("\n") + describeUnpaired(unpaired.at(i));
    if (unpaired.size() > kListedStamps)
        text += QStringLiteral("\nand %1 more").arg(unpaired.size() - kListedStamps);
    return text + QStringLiteral("\n\nCorrect the stamps' texts or the lyrics, then export again.");
}

} // namespace

QString chooseMp3Title()
{
    return QStringLiteral("Export .lrc beside an MP3 file");
}

QString mp3FileFilter()
{
    return QStringLiteral("MP3 files (*.mp3 *.MP3 *.Mp3);;All files (*)");
}

bool exportLrcBeside(UserDialogs &dialogs, const clsKaraokeEdition &edition, const CodePage &codePage,
                     const QString &lyricsText, const QString &besidePath)
{
    QList<KasRecord> records;
    const KasSaveResult prepared = edition.recordsForSave(records);
    if (!prepared.ok()) {
        dialogs.critical(Title, recordsFailureText(prepared));
        return false;
    }
    const StampPairing pairing = pairStamps(records, lyricLines(lyricsText), codePage);
    if (!pairing.complete()) {
        dialogs.critical(Title, unpairedText(pairing.unpaired));
        return false;
    }
    if (pairing.paired.isEmpty()) {
        dialogs.critical(Title, QStringLiteral("There are no stamps with a text to export. No .lrc file was written."));
        return false;
    }

    const QString target = lrcPathBeside(besidePath);
    const QString name = QFileInfo(target).fileName();
    if (QFileInfo::exists(target)
        && dialogs.askYesNo(Title, QStringLiteral("\"%1\" already exists.\nDo you want to replace it?").arg(name))
               != Answer::Yes)
        return false;
    const WriteResult written = writeLrcFile(target, pairing.paired);
    switch (written.status) {
    case WriteStatus::Ok:
        dialogs.information(Title, QStringLiteral("Synchronised lyrics exported to:\n") + target);
        return true;
    case WriteStatus::ReadOnly:
        dialogs.critical(Title, QStringLiteral("\"%1\" is read-only; it was not changed.").arg(target));
        return false;
    case WriteStatus::Failed: break;
    }
    dialogs.critical(Title, QStringLiteral("The .lrc file could not be written:\n%1\n%2\nAn earlier file of that name "
                                           "is as it was.")
                                .arg(target, written.error));
    return false;
}

} // namespace stanzary
