#include "cli/CliOutput.h"

#include "store/SongNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace stanzary {

namespace {

constexpr qint64 ProgressIntervalMs = 100;

bool writeAll(std::FILE *file, const QByteArray &bytes)
{
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) == size_t(bytes.size())
           && std::fflush(file) == 0;
}

QString karaokeName(KaraokeState state)
{
    switch (state) {
    case KaraokeState::Downloaded: return QStringLiteral("downloaded");
    case KaraokeState::Available: return QStringLiteral("available");
    case KaraokeState::None: break;
    }
    return QStringLiteral("none");
}

QString filterName(const std::optional<bool> &filterUsed)
{
    if (!filterUsed)
        return QStringLiteral("unknown");
    return *filterUsed ? QStringLiteral("filtered") : QStringLiteral("unfiltered");
}

QString entryName(const QList<TagEntry> &entries, int index)
{
    return entries.at(index).Words.join(u' ');
}

} // namespace

void CliOutput::result(const QString &text)
{
    clearProgress();
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (m_resultsWritten)
        m_resultsWritten = writeAll(m_out, lines.toUtf8());
}

void CliOutput::error(const QString &text)
{
    clearProgress();
    writeAll(m_err, (QStringLiteral("stanzary-cli: ") + text + u'\n').toUtf8());
}

void CliOutput::progress(const QString &text)
{
    if (!m_progress || (m_since.isValid() && m_since.elapsed() < ProgressIntervalMs))
        return;
    m_since.start();
    // The new text over the old one, blanks over what is left of it.
    const qsizetype width = text.size();
    const QString line = u'\r' + text + QString(std::max<qsizetype>(0, m_progressWidth - width), u' ');
    m_progressWidth = width;
    writeAll(m_err, line.toUtf8());
}

void CliOutput::clearProgress()
{
    if (m_progressWidth == 0)
        return;
    writeAll(m_err, (u'\r' + QString(m_progressWidth, u' ') + u'\r').toUtf8());
    m_progressWidth = 0;
    m_since.invalidate();
}

QString songsAsText(const QList<ListedSong> &songs)
{
    QString text;
    for (const ListedSong &song : songs)
        text += listEntry(song.artist, song.song) + u'\n';
    return text;
}

QString songsAsJson(const QList<ListedSong> &songs)
{
    QStringList objects;
    objects.reserve(songs.size());
    for (const ListedSong &song : songs) {
        const QJsonObject object{{QStringLiteral("artist"), song.artist},
                                 {QStringLiteral("song"), song.song},
                                 {QStringLiteral("file"), song.path},
                                 {QStringLiteral("karaoke"), karaokeName(song.karaoke)},
                                 {QStringLiteral("filter"), filterName(song.filterUsed)}};
        objects << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
    }
    if (objects.isEmpty())
        return QStringLiteral("[]\n");
    return QStringLiteral("[\n") + objects.join(QStringLiteral(",\n")) + QStringLiteral("\n]\n");
}

QStringList rowAlerts(const TaggerRow &row)
{
    QStringList alerts;
    if (row.severalCandidates())
        alerts << QStringLiteral("more than 1 match (%1)").arg(row.candidates.size());
    if (row.sharedLyrics)
        alerts << QStringLiteral("matched more than once");
    if (!row.filtered)
        alerts << QStringLiteral("unfiltered");
    if (row.hasLyrics3)
        alerts << QStringLiteral("with lyrics3 tag");
    if (row.withoutId3v1)
        alerts << QStringLiteral("an id3v1 tag will be added");
    return alerts;
}

QString rowsAsText(const QList<TaggerRow> &rows)
{
    QString text;
    for (const TaggerRow &row : rows) {
        text += (row.checked ? QStringLiteral("[x] ") : QStringLiteral("[ ] ")) + row.mp3Path + u'\t' + row.lyricsName;
        const QStringList alerts = rowAlerts(row);
        if (!alerts.isEmpty())
            text += u'\t' + alerts.join(QStringLiteral(", "));
        text += u'\n';
    }
    return text;
}

QString rowsAsJson(const QString &folder, const ScanResult &scan, const QList<TagEntry> &entries,
                   const QString &lyricsFolder)
{
    QJsonArray rows;
    for (const TaggerRow &row : scan.rows) {
        QJsonArray candidates;
        for (const int c : row.candidates) {
            candidates.append(QJsonObject{{QStringLiteral("song"), entryName(entries, c)},
                                          {QStringLiteral("file"), QString(lyricsFolder + entries.at(c).Key)},
                                          {QStringLiteral("chosen"), c == row.chosen}});
        }
        const QJsonObject alerts{{QStringLiteral("severalCandidates"), row.severalCandidates()},
                                 {QStringLiteral("matchedMoreThanOnce"), row.sharedLyrics},
                                 {QStringLiteral("unfiltered"), !row.filtered},
                                 {QStringLiteral("withLyrics3Tag"), row.hasLyrics3},
                                 {QStringLiteral("withoutId3v1Tag"), row.withoutId3v1}};
        rows.append(QJsonObject{{QStringLiteral("mp3"), row.mp3Path},
                                {QStringLiteral("checked"), row.checked},
                                {QStringLiteral("song"), row.lyricsName},
                                {QStringLiteral("file"), row.lyricsPath},
                                {QStringLiteral("candidates"), candidates},
                                {QStringLiteral("alerts"), alerts}});
    }
    const QJsonObject object{{QStringLiteral("folder"), folder},
                             {QStringLiteral("filesParsed"), scan.filesParsed},
                             {QStringLiteral("checked"), scan.checkedCount},
                             {QStringLiteral("status"), scan.status},
                             {QStringLiteral("rows"), rows}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

} // namespace stanzary
