#include "store/CollectionScan.h"

#include "app/ImageIndex.h"
#include "karaoke/KaraokeIndex.h"
#include "platform/DirListing.h"
#include "platform/ReplacementFile.h"
#include "store/SongNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <memory_resource>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_set>

namespace stanzary {

namespace {

const QString kArtistKeyPrefix = QStringLiteral("key");
const QByteArray kLyricsSuffix = QByteArrayLiteral(".txt");

// One folder's lyrics files in scan order (alphabetically ignoring case),
// each with whether it has a timestamp file: "X.txt" has one when "X.kas" is
// in the same folder, the names matched ignoring case. Every name is folded
// once; the sort and the match compare folded names.
class FolderListing
{
public:
    struct LyricsFile
    {
        QString name;
        bool hasTimestamps = false;
    };

    explicit FolderListing(const FolderEntries &entries)
    {
        m_unlistedLyricsFiles = countWithSuffix(entries.undecodableFiles, kLyricsSuffix);
        const QStringList &names = entries.files;
        const FoldedNames folded(names);
        std::vector<qsizetype> lyrics;
        lyrics.reserve(static_cast<size_t>(names.size()));
        // Views into folded, the set's nodes in one arena rather than one
        // allocation each.
        std::pmr::monotonic_buffer_resource arena;
        std::pmr::unordered_set<std::u32string_view> timestampStems(&arena);
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (folded.endsWith(i, U".txt"))
                lyrics.push_back(i);
            else if (folded.endsWith(i, U".kas"))
                timestampStems.insert(stemOf(folded.at(i)));
        }
        folded.sort(lyrics);
        m_lyricsFiles.reserve(lyrics.size());
        for (qsizetype i : lyrics) {
            const bool hasTimestamps = !timestampStems.empty() && timestampStems.count(stemOf(folded.at(i))) > 0;
            m_lyricsFiles.push_back({names.at(i), hasTimestamps});
        }
    }
    FolderListing(FolderListing &&) = default;
    FolderListing &operator=(FolderListing &&) = default;

    const std::vector<LyricsFile> &lyricsFiles() const { return m_lyricsFiles; }
    // Lyrics files whose names do not decode, so that they cannot be opened.
    int unlistedLyricsFiles() const { return m_unlistedLyricsFiles; }

private:
    // A folded name without its four-character extension ("Artist - Song.txt" -> "artist - song").
    static std::u32string_view stemOf(std::u32string_view name) { return name.substr(0, name.size() - 4); }

    std::vector<LyricsFile> m_lyricsFiles;
    int m_unlistedLyricsFiles = 0;
};

// One folder read for the scan. Copies that a killed save left beside the
// lyrics go at once.
FolderEntries readScannedFolder(const QString &folder)
{
    FolderEntries entries = readFolder(folder);
    if (!entries.replacements.isEmpty())
        removeLeftoverReplacements(folder, entries.replacements);
    return entries;
}

// Reads the folders in order on a thread of its own, so that the caller can
// load the karaoke index and build the tree from the folders read so far
// while the rest are read (reading a folder takes about as long as sorting
// its names and adding its songs). Without a thread (one processor, or none
// could be started) the folders are read on the caller's thread as it asks
// for them.
class FolderLister
{
public:
    explicit FolderLister(const QStringList &folders) : m_folders(folders), m_entries(size_t(folders.size()))
    {
        // On one processor the two threads would only take turns.
        if (QThread::idealThreadCount() < 2)
            return;
        try {
            m_thread = std::thread([this] { listAll(); });
        } catch (const std::system_error &) {
            // Read one by one in take() instead.
        }
    }
    ~FolderLister()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    FolderLister(const FolderLister &) = delete;
    FolderLister &operator=(const FolderLister &) = delete;

    // The entries of folders[i], once they are read; taken once.
    FolderEntries take(qsizetype i)
    {
        const size_t at = static_cast<size_t>(i);
        if (!m_thread.joinable())
            return readScannedFolder(m_folders.at(i));
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [&] { return m_done > i; });
        return std::move(m_entries[at]);
    }

private:
    void listAll()
    {
        for (qsizetype i = 0; i < m_folders.size(); ++i) {
            // Each slot is written here once, before it is announced, and
            // read by the caller only after that.
            m_entries[static_cast<size_t>(i)] = readScannedFolder(m_folders.at(i));
            {
                const std::lock_guard lock(m_mutex);
                m_done = i + 1;
            }
            m_ready.notify_one();
        }
    }

    const QStringList &m_folders;
    std::vector<FolderEntries> m_entries; // one per folder, never resized
    std::mutex m_mutex;
    std::condition_variable m_ready;
    qsizetype m_done = 0; // listings done, in order (under m_mutex)
    std::thread m_thread;
};

// The folders to scan, each ending with "/". Switches the state to
// single-folder mode when the lyrics folder has no subfolders. The lyrics
// files of a subfolder whose name does not decode go to unlisted.
QStringList foldersToScan(basMain &state, UnlistedFiles &unlisted)
{
    const QString root = withTrailingSeparator(state.strLyricsPath);
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return {};
    FolderEntries entries = readFolder(root);
    QStringList subfolders = std::move(entries.folders);
    sortIgnoringCase(subfolders);
    if (subfolders.isEmpty() && entries.undecodableFolders.isEmpty())
        state.blnSingleDir = true;
    if (state.blnSingleDir)
        return {root};
    for (const QByteArray &name : std::as_const(entries.undecodableFolders)) {
        const int files = countWithSuffix(fileNamesInNativeFolder(QFile::encodeName(root) + name), kLyricsSuffix);
        unlisted.add(root + QFile::decodeName(name) + u'/', files);
    }
    QStringList out;
    out.reserve(subfolders.size());
    for (const QString &sub : subfolders)
        out.append(root + sub + u'/');
    return out;
}

// The walk over the listed files, in the order the tree is built.
class TreeBuilder
{
public:
    TreeBuilder(basMain &state, const KaraokeIndex *index)
        : m_state(state), m_index(index && !index->isEmpty() ? index : nullptr)
    {}

    // Adds the songs of one folder (ending with "/") in its listing's order.
    void addFolder(const QString &folder, const FolderListing &listing)
    {
        QStringView withoutSlash(folder);
        withoutSlash.chop(1);
        const QString keyPrefix = m_state.blnSingleDir ? QString() : LastPathPart(withoutSlash.toString()) + u'/';
        for (const FolderListing::LyricsFile &file : listing.lyricsFiles())
            addSong(keyPrefix, file.name, file.hasTimestamps);
    }

    // The songs without a timestamp file that the karaoke index lists get
    // their image and are counted. The index is asked once for all of them.
    void markAvailableSongs()
    {
        if (!m_index || m_unstamped.empty())
            return;
        const std::vector<bool> available = m_index->containsKeys(m_unstampedKeys);
        for (size_t i = 0; i < m_unstamped.size(); ++i) {
            if (!available[i])
                continue;
            m_state.nodes.setImage(m_unstamped[i], Icon::KaraokeAvailable);
            ++m_state.intTimestampsAvaliable;
        }
    }

private:
    void addSong(const QString &keyPrefix, const QString &name, bool hasTimestamps)
    {
        // The split of GetArtist / GetSong, on views so that the common case
        // (the same artist as the file before) builds no artist text.
        const qsizetype dash = name.indexOf(u'-');
        if (dash < 0)
            return;
        const QStringView artist = QStringView(name).left(dash).trimmed();
        // The same text again changes nothing below. The first file always
        // meets its artist, also an empty one ("- Intro.txt"), so that no
        // song ends up at the root without an artist node.
        if (!m_metArtist || artist != m_previousArtist)
            meetArtist(artist.toString());

        QString songKey = keyPrefix + name;
        // The title: GetSong of the name without its extension (".txt" holds no "-").
        QString title = QStringView(name).chopped(4).mid(dash + 1).trimmed().toString();
        const int image = hasTimestamps ? Icon::HasTimestamps : Icon::LyricsOnly;
        const int position = m_state.nodes.add(songKey, title, image, m_artistKey);
        if (position == 0)
            return;
        ++m_state.intLyricsCount;
        if (hasTimestamps) {
            ++m_state.intTimestampsDownloaded;
        } else if (m_index) {
            // Whether the index lists it is asked for all such songs at once.
            m_unstamped.push_back(position);
            m_unstampedKeys.push_back(availabilityKeyFor(name));
        }
    }

    // The previous-artist rule: a new artist node is tried only when the
    // artist differs from the previous one in upper case.
    void meetArtist(const QString &artist)
    {
        m_metArtist = true;
        m_previousArtist = artist;
        m_artistKey = kArtistKeyPrefix + artist.toLower();
        QString upper = artist.toUpper();
        if (upper != m_previousArtistUpper) {
            m_previousArtistUpper = std::move(upper);
            // Fails when the artist was met before (after another artist, or
            // in an earlier folder): the existing node takes the song.
            m_state.nodes.add(m_artistKey, artist, Icon::Artist);
        } else if (!m_state.nodes.contains(m_artistKey)) {
            // Two spellings that agree in upper case but not in lower case
            // ("STRASSE" and "Straße"): give the song an artist of its own
            // rather than losing it.
            m_state.nodes.add(m_artistKey, artist, Icon::Artist);
        }
    }

    basMain &m_state;
    const KaraokeIndex *m_index; // null without an index or with an empty one
    bool m_metArtist = false;    // an artist was met in this scan
    QString m_previousArtist;    // as written, for a cheap "same again" test
    QString m_previousArtistUpper;
    QString m_artistKey;                          // the node key of m_previousArtist
    std::vector<int> m_unstamped;                 // positions of the songs without a timestamp file
    std::vector<AvailabilityKey> m_unstampedKeys; // and their keys in the index
};

} // namespace

QString PercentText(double value)
{
    QString text;
    if (value == 0.0 || !std::isfinite(value)) {
        text = QStringLiteral("0");
    } else {
        // Fifteen significant digits in fixed notation, trailing zeros dropped.
        const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
        const int decimals = std::clamp(14 - magnitude, 0, 340);
        text = QString::number(value, 'f', decimals);
        if (text.contains(u'.')) {
            while (text.endsWith(u'0'))
                text.chop(1);
            if (text.endsWith(u'.'))
                text.chop(1);
        }
        text.replace(u'.', QLocale().decimalPoint());
    }
    if (text.size() > 4)
        text.truncate(4);
    return text;
}

CountPanelTexts countPanelTexts(const basMain &state)
{
    CountPanelTexts texts;
    if (state.intLyricsCount > 0) {
        texts.collectionEmpty = false;
        texts.lyricsCount = QStringLiteral("Lyrics: ") + QString::number(state.intLyricsCount);
        if (state.blnCheckTimestampsAtStart) {
            texts.downloadedCount = QString::number(state.intTimestampsDownloaded) + QStringLiteral(" downloaded");
            texts.availableCount = QStringLiteral("+ ") + QString::number(state.intTimestampsAvaliable)
                                   + QStringLiteral(" avaliable for download");
            const double percent = (static_cast<double>(state.intTimestampsDownloaded) + state.intTimestampsAvaliable)
                                   / state.intLyricsCount * 100.0;
            texts.percent = QStringLiteral("= ") + PercentText(percent) + QStringLiteral("% of your lyrics");
        } else {
            texts.timestampsCount = QStringLiteral("Timestamps: ") + QString::number(state.intTimestampsDownloaded);
        }
    } else {
        texts.collectionEmpty = true;
        texts.lyricsCount = QStringLiteral("Lyrics: Not found");
        texts.timestampsCount = QStringLiteral("Timestamps: -");
        texts.downloadedCount = QStringLiteral("-");
        texts.availableCount = QStringLiteral("-");
        texts.percent = QStringLiteral("-");
    }
    return texts;
}

CountPanelTexts countDeletedSong(basMain &state, bool hadTimestampFile, int songImage)
{
    state.intLyricsCount = std::max(0, state.intLyricsCount - 1);
    if (hadTimestampFile)
        state.intTimestampsDownloaded = std::max(0, state.intTimestampsDownloaded - 1);
    if (songImage == Icon::KaraokeAvailable || songImage == Icon::UnfilteredKaraokeAvailable)
        state.intTimestampsAvaliable = std::max(0, state.intTimestampsAvaliable - 1);

    CountPanelTexts texts;
    texts.collectionEmpty = state.intLyricsCount == 0;
    texts.lyricsCount = QStringLiteral("Lyrics: ") + QString::number(state.intLyricsCount);
    if (state.blnCheckTimestampsAtStart) {
        texts.downloadedCount = QString::number(state.intTimestampsDownloaded) + QStringLiteral(" downloaded");
        texts.availableCount = QStringLiteral("+ ") + QString::number(state.intTimestampsAvaliable)
                               + QStringLiteral(" avaliable for download");
        if (state.intLyricsCount > 0) {
            const double percent = (static_cast<double>(state.intTimestampsDownloaded) + state.intTimestampsAvaliable)
                                   / state.intLyricsCount * 100.0;
            texts.percent = QStringLiteral("= ") + PercentText(percent) + QStringLiteral("% of your lyrics");
        } else {
            texts.percent = QStringLiteral("-");
        }
    } else {
        texts.timestampsCount = QStringLiteral("Timestamps: ") + QString::number(state.intTimestampsDownloaded);
    }
    return texts;
}

CountPanelTexts countCreatedTimestamps(basMain &state, int position)
{
    if (position <= 0 || position > state.nodes.count())
        return countPanelTexts(state);
    const TreeNode &node = state.nodes.at(position);
    const int image = node.image;
    if (image == Icon::HasTimestamps || image == Icon::UnfilteredHasTimestamps)
        return countPanelTexts(state);
    const bool unfiltered = image == Icon::UnfilteredLyricsOnly || image == Icon::UnfilteredKaraokeAvailable;
    const int created = unfiltered ? Icon::UnfilteredHasTimestamps : Icon::HasTimestamps;
    const QString key = node.key;
    state.nodes.setImage(position, created);
    for (TreeNodeRecord &record : state.NodeSnapshot) {
        if (record.IsSong && record.NodeKey == key)
            record.NodeImage =
                record.NodeImage == Icon::UnfilteredLyricsOnly || record.NodeImage == Icon::UnfilteredKaraokeAvailable
                    ? Icon::UnfilteredHasTimestamps
                    : Icon::HasTimestamps;
    }
    ++state.intTimestampsDownloaded;
    if (image == Icon::KaraokeAvailable || image == Icon::UnfilteredKaraokeAvailable)
        state.intTimestampsAvaliable = std::max(0, state.intTimestampsAvaliable - 1);
    return countPanelTexts(state);
}

void SnapshotTree(basMain &state)
{
    const NodeCollection &nodes = state.nodes;
    QList<TreeNodeRecord> snapshot;
    snapshot.reserve(nodes.count());
    int lastParent = 0;
    QString lastParentKey; // lower-cased once per artist
    for (int p = 1; p <= nodes.count(); ++p) {
        const TreeNode &node = nodes.at(p);
        TreeNodeRecord rec;
        rec.NodeText = node.text;
        rec.NodeKey = node.key;
        rec.NodeImage = node.image;
        rec.IsSong = nodes.childCount(p) == 0;
        if (rec.IsSong) {
            const int parent = nodes.parentOf(p);
            if (parent > 0 && parent != lastParent) {
                lastParent = parent;
                lastParentKey = nodes.at(parent).key.toLower();
            }
            if (parent > 0)
                rec.ParentKey = lastParentKey;
        }
        snapshot.append(std::move(rec));
    }
    state.NodeSnapshot = std::move(snapshot);
}

CountPanelTexts BuildTree(basMain &state, const TreeScanCallbacks &callbacks)
{
    state.intLyricsCount = 0;
    state.intTimestampsDownloaded = 0;
    state.intTimestampsAvaliable = 0;

    std::optional<KaraokeIndex> index;
    UnlistedFiles unlisted;
    {
        NodeCollection::BulkScope bulk(state.nodes);
        const QStringList folders = foldersToScan(state, unlisted);
        // The folders are read on another thread meanwhile.
        FolderLister lister(folders);

        // The index lives only for this scan. Without a known host there is
        // no index: a bare "kl.dbx" would be read from the working folder.
        if (state.blnCheckTimestampsAtStart) {
            index.emplace();
            if (!state.strHostPath.isEmpty())
                index->load(karaokeIndexPath(state.strHostPath));
        }

        TreeBuilder builder(state, index ? &*index : nullptr);
        for (qsizetype i = 0; i < folders.size(); ++i) {
            const FolderListing listing(lister.take(i));
            unlisted.add(folders.at(i), listing.unlistedLyricsFiles());
            builder.addFolder(folders.at(i), listing);
        }
        builder.markAvailableSongs();
    }

    CountPanelTexts texts = countPanelTexts(state);
    state.strIndexRecordCount = index ? index->recordCountText() : QString();
    state.unlistedLyrics = std::move(unlisted);
    index.reset();

    // The snapshot is taken whenever there are songs, so that a search turned
    // on later in the run never restores an outdated tree; an empty
    // collection leaves an empty snapshot. It is taken before pending events
    // run, so that nothing they do to the tree can end up in it.
    if (state.intLyricsCount > 0)
        SnapshotTree(state);
    else
        state.NodeSnapshot.clear();

    if (callbacks.showCounts)
        callbacks.showCounts(texts);
    callbacks.letEventsRun();
    return texts;
}

QString unlistedLyricsNotice(const basMain &state)
{
    const UnlistedFiles &unlisted = state.unlistedLyrics;
    if (unlisted.count <= 0)
        return QString();
    const bool one = unlisted.count == 1;
    QString text = QString::number(unlisted.count)
                   + (one ? QStringLiteral(" lyrics file could not be listed: its name is")
                          : QStringLiteral(" lyrics files could not be listed: their names are"))
                   + QStringLiteral(" not valid in the file-system encoding (UTF-8), so Stanzary cannot open ")
                   + (one ? QStringLiteral("it") : QStringLiteral("them"))
                   + (unlisted.folders.size() == 1 ? QStringLiteral(". Folder:") : QStringLiteral(". Folders:"));
    constexpr qsizetype shownFolders = 5;
    for (qsizetype i = 0; i < unlisted.folders.size() && i < shownFolders; ++i)
        text += QStringLiteral("\n    ") + QDir::toNativeSeparators(unlisted.folders.at(i));
    if (const qsizetype more = unlisted.folders.size() - shownFolders; more > 0)
        text += QStringLiteral("\n    and ") + QString::number(more)
                + (more == 1 ? QStringLiteral(" more folder") : QStringLiteral(" more folders"));
    return text + QStringLiteral("\n\nRename ") + (one ? QStringLiteral("it") : QStringLiteral("them"))
           + QStringLiteral(" (for example in a file manager), then press F5 to scan again.");
}

CountPanelTexts RescanTree(basMain &state, const TreeScanCallbacks &callbacks)
{
    // Two resets (the clear, then the scan's own bulk scope), so that the
    // scan's pending events paint the finished tree, not one in mid-reset.
    state.nodes.clear();
    return BuildTree(state, callbacks);
}

} // namespace stanzary
