#include "app/SongCommands.h"

#include "app/ImageIndex.h"
#include "app/basMain.h"
#include "karaoke/KasFile.h"
#include "lists/SongLists.h"
#include "platform/RegularFile.h"
#include "store/LyricsFile.h"
#include "store/SongNames.h"
#include "store/TreeSearch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace stanzary {

void SelectSongNode(basMain &state, int position)
{
    const NodeCollection &nodes = state.nodes;
    const TreeNode &song = nodes.at(position);
    const int parent = nodes.parentOf(position);
    state.strCurrentFile = state.strLyricsPath + song.key;
    state.strCurrentSong = song.text;
    state.strCurrentArtist = parent > 0 ? nodes.at(parent).text : QString();
    state.strCurrentKey = song.key;
    state.intCurrentIndex = position;
    state.intCurrentParentIndex = parent;
    state.blnTimestampsAvaliable =
        song.image == Icon::KaraokeAvailable || song.image == Icon::UnfilteredKaraokeAvailable;
    state.blnHasTimestamps = KasFileExists(state.strCurrentFile);
}

void SelectArtistNode(basMain &state)
{
    state.strCurrentFile.clear();
}

namespace {

QString karaokeText(const basMain &state)
{
    if (state.blnHasTimestamps)
        return QStringLiteral("Timestamps found");
    if (!state.blnCheckTimestampsAtStart)
        return QStringLiteral("Karaoke not found. It may be avaliable for download, or you can create it by yourself!");
    if (!state.blnTimestampsAvaliable)
        return QStringLiteral("Timestamps not found. You can create them, and also upload them to the server!");
    return QStringLiteral("Timestamps are avaliable for download. Click 'Search Kar' button to get them!");
}

} // namespace

LyricsDetails ShowLyricsDetails(basMain &state)
{
    LyricsDetails d;
    const FileContent file = readRegularFile(state.strCurrentFile, MaxTextFileBytes);
    d.fileFound = file.ok();
    d.fileExists = file.status != FileReadStatus::Missing;
    d.readError = d.fileFound ? QString() : file.error;
    d.text = d.fileFound ? state.codePage.decode(file.bytes) : QString();
    d.lblArtist = state.strCurrentArtist;
    d.lblSong2 = state.strCurrentSong;
    d.lblKaraoke = karaokeText(state);
    d.loadKaraokeEditor = state.blnHasTimestamps && state.blnLoadKasEditor;
    d.hideKaraokeEditor = !state.blnHasTimestamps;

    const LyricsSource source = deriveLyricsSource(d.text);
    state.blnHasPageInfo = source.blnHasPageInfo;
    if (source.blnHasPageInfo) {
        state.strPage = source.strPage;
        state.strWebsite = source.strWebsite;
        d.lblWebsite = state.strWebsite;
        d.lblBrowser = state.strPage;
    } else {
        d.lblWebsite = d.lblBrowser = QStringLiteral("No page information found");
    }
    d.webButtonsEnabled = source.blnHasPageInfo;
    state.blnFilterUsed = source.blnFilterUsed;
    d.lblFilter = source.blnFilterUsed ? QStringLiteral("Used") : QStringLiteral("Not Used");
    return d;
}

QString currentListEntry(const basMain &state)
{
    return listEntry(state.strCurrentArtist, state.strCurrentSong);
}

bool removeLyricsFile(const QString &path, QString *reason)
{
    // The trash lives in the per-user data folder, which must exist for the
    // trash to be made there; a trash that could not be set up properly (a
    // relative place) is not used.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QString inTrash;
    if (QFile::moveToTrash(path, &inTrash)) {
        if (QFileInfo(inTrash).isAbsolute())
            return true;
        QFile::rename(inTrash, path);
    }
    QFile file(path);
    if (file.remove())
        return true;
    if (reason)
        *reason = file.errorString();
    return false;
}

DeleteOutcome DeleteCurrentSong(basMain &state, SongLists &lists, const FileRemover &remove)
{
    DeleteOutcome out;
    if (state.strCurrentFile.isEmpty() || !QFile::exists(state.strCurrentFile)) {
        out.nothingToDelete = true;
        return out;
    }
    const bool hadTimestampFile = KasFileExists(state.strCurrentFile);
    if (!remove(state.strCurrentFile, &out.failure)) {
        out.fileDeleteFailed = true;
        return out;
    }

    // The node is found by its key: a search since the song was chosen may
    // have moved every position.
    NodeCollection &nodes = state.nodes;
    const int position = nodes.positionOf(state.strCurrentKey);
    const int songImage = position > 0 ? nodes.at(position).image
                                       : (state.blnTimestampsAvaliable ? Icon::KaraokeAvailable : Icon::LyricsOnly);
    out.counts = countDeletedSong(state, hadTimestampFile, songImage);
    int parent = 0;
    if (position > 0) {
        parent = nodes.parentOf(position);
        if (parent > 0 && nodes.childCount(parent) < 2)
            nodes.remove(parent);
        else
            nodes.remove(position);
    }
    removeFromSnapshot(state, state.strCurrentKey);

    out.nodeToChoose = parent > 0 && parent <= nodes.count() ? parent : 0;
    lists.deleted.append(currentListEntry(state));
    out.collectionEmpty = state.intLyricsCount <= 0;
    return out;
}

QString karaokeSearchAddress(const QString &site, const QString &artist, const QString &song)
{
    QString a = artist;
    QString s = song;
    a.replace(u' ', QStringLiteral("%20"));
    s.replace(u' ', QStringLiteral("%20"));
    return site + QStringLiteral("/tunewright/getkaraoke.php?artist=") + a + QStringLiteral("&song=") + s;
}

std::optional<QUrl> webAddress(const QString &address)
{
    const QString text = address.trimmed();
    if (!text.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive)
        && !text.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive))
        return std::nullopt;
    const QUrl url(text, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    return url;
}

std::optional<QUrl> siteAddress(const QString &site)
{
    const QString text = site.trimmed();
    if (text.isEmpty() || text.contains(u' ') || text.contains(u'/') || text.contains(u'\\'))
        return webAddress(text);
    return webAddress(QStringLiteral("http://") + text);
}

} // namespace stanzary
