// The karaoke editor while a song plays, with the real player through the
// null sink of scripts/null-audio.sh (the run target starts it).
//
// 1. How soon the highlighted row follows playback: for every line of a
//    sample song, the song plays from 0.6 s before the line's stamp; the
//    moment the player's own position passed the stamp (its reports just
//    before and after, interpolated) is compared with the moment the editor
//    highlighted the row (target: within 20 ms). Baseline: following the
//    player's reports alone, i.e. the first report at or past the stamp.
// 2. The event loop's longest pause while the song loads and plays in the
//    editor (target: under 50 ms), against the same window with no song.
// No thresholds: the numbers are printed.
//   cmake --build <build dir> --target run-bench_audio_editor
#include "EventLoopPause.h"

#include "app/SongCommands.h"
#include "audio/AudioBackend.h"
#include "audio/QtAudioPlayer.h"
#include "karaoke/KasFile.h"
#include "karaoke/StampSteps.h"
#include "store/LyricsFile.h"
#include "ui/KaraokeEditorFrame.h"
#include "ui/PlaybackBar.h"
#include "ui/SongDetailsView.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace stanzary;
using bench::longestPauseMs;

namespace {

struct Report
{
    qint64 wallNs;
    qint64 positionMs;
};

// The wall time at which the reported positions passed ms (interpolated
// between the reports around it); -1 when they do not tell.
qint64 wallWhenPassed(const QList<Report> &reports, qint64 ms)
{
    for (qsizetype i = 1; i < reports.size(); ++i) {
        const Report &a = reports.at(i - 1);
        const Report &b = reports.at(i);
        if (a.positionMs < ms && b.positionMs >= ms && b.wallNs - a.wallNs < 250'000'000
            && b.positionMs > a.positionMs) {
            const double f = double(ms - a.positionMs) / double(b.positionMs - a.positionMs);
            return a.wallNs + qint64(f * double(b.wallNs - a.wallNs));
        }
    }
    return -1;
}

qint64 firstReportAtOrPast(const QList<Report> &reports, qint64 ms)
{
    for (const Report &r : reports) {
        if (r.positionMs >= ms)
            return r.wallNs;
    }
    return -1;
}

struct Stats
{
    int n = 0;
    double mean = 0;
    double max = 0;
};

Stats stats(const QList<double> &values)
{
    Stats s;
    s.n = int(values.size());
    for (double v : values) {
        s.mean += v;
        s.max = std::max(s.max, v);
    }
    s.mean = s.n ? s.mean / s.n : 0;
    return s;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    startAudio();
    if (!hasSoundOutput()) {
        std::fprintf(stderr, "No sound output device: run this through scripts/null-audio.sh.\n");
        return 1;
    }
    const QDir examples(QStringLiteral(STANZARY_EXAMPLES_DIR));
    const QString name = QStringLiteral("Amber Lanterns - Paper Boats");
    const QString mp3 = examples.filePath(QStringLiteral("Music/") + name + QStringLiteral(".mp3"));
    QFile json(examples.filePath(QStringLiteral("Music/") + name + QStringLiteral(".json")));
    if (!json.open(QIODevice::ReadOnly))
        return 1;
    const QJsonObject song = QJsonDocument::fromJson(json.readAll()).object();
    const QString lyrics = examples.filePath(QStringLiteral("Tunewright/lyrics/") + song.value(u"lyrics").toString());

    ScriptedUserDialogs dialogs;
    QtAudioPlayer player;
    SongDetailsView view(dialogs);
    view.setAudioPlayer(&player);
    view.resize(1000, 700);
    view.show();
    LyricsDetails d;
    d.fileFound = true;
    d.text = readLyricsText(lyrics, CodePage()).value_or(QString());
    d.loadKaraokeEditor = true;
    view.showSong(QStringLiteral("Amber Lanterns"), QStringLiteral("Paper Boats"), d);
    view.showKaraokeFor(KasPathFor(lyrics), d, true, CodePage());
    KaraokeEditorFrame *frame = view.karaokeFrame();
    PlaybackBar *bar = view.playbackBar();

    // 2. The event loop, with the editor and no song, then loading and playing.
    view.showSongAudio({});
    const qint64 idle = longestPauseMs(4000, [] {});
    const qint64 playing = longestPauseMs(4000, [&] {
        view.showSongAudio({mp3});
        QObject::connect(
            &player, &AudioPlayer::statusChanged, &app,
            [&](AudioPlayer::Status status) {
                if (status == AudioPlayer::Status::Ready)
                    bar->play();
            },
            Qt::SingleShotConnection);
    });
    bar->pause();
    if (!bar->hasAudio()) {
        std::fprintf(stderr, "The song did not load: %s\n", qPrintable(player.errorString()));
        return 1;
    }

    // 1. Following, line by line.
    QElapsedTimer wall;
    wall.start();
    QList<Report> reports;
    QList<std::pair<qint64, int>> highlights; // wall ns, row
    QObject::connect(&player, &AudioPlayer::positionChanged, &app, [&](qint64 ms) {
        reports.append({wall.nsecsElapsed(), ms});
    });
    int lastRow = -2;
    QObject::connect(bar, &PlaybackBar::positionChanged, &app, [&] {
        if (frame->followedRow() != lastRow) {
            lastRow = frame->followedRow();
            highlights.append({wall.nsecsElapsed(), lastRow});
        }
    });
    QList<double> followed;
    QList<double> baseline;
    for (int row = 0; row < frame->rowCount(); ++row) {
        const qint64 stamp = stampMilliseconds(frame->edition().row(row).time);
        reports.clear();
        highlights.clear();
        bar->seekTo(stamp - 600);
        bar->play();
        QEventLoop loop;
        QTimer::singleShot(1200, &loop, &QEventLoop::quit);
        loop.exec();
        bar->pause();
        const qint64 passed = wallWhenPassed(reports, stamp);
        const qint64 reported = firstReportAtOrPast(reports, stamp);
        const auto lit =
            std::find_if(highlights.cbegin(), highlights.cend(), [&](const auto &h) { return h.second == row; });
        if (passed < 0 || reported < 0 || lit == highlights.cend())
            continue;
        followed.append(double(lit->first - passed) / 1e6);
        baseline.append(double(reported - passed) / 1e6);
    }
    const Stats f = stats(followed);
    const Stats b = stats(baseline);
    std::printf("highlighted row after the player passed its stamp (%d of %d rows measured, backend %s):\n", f.n,
                frame->rowCount(), qPrintable(audioBackendName()));
    std::printf("  baseline, following the player's reports: mean %6.1f ms, max %6.1f ms\n", b.mean, b.max);
    std::printf("  the editor (playback clock, 10 ms ticks):  mean %6.1f ms, max %6.1f ms\n", f.mean, f.max);
    std::printf("  mean ratio editor / baseline: %.2f\n", b.mean != 0 ? f.mean / b.mean : 0.0);
    std::printf("event loop's longest pause in the editor: no song %lld ms, loading and playing %lld ms (ratio %.2f)\n",
                idle, playing, idle > 0 ? double(playing) / double(idle) : 0.0);
    return 0;
}
