// The envelope of a song for the waveform strip against decoding the song
// alone.
//
// A five-minute stereo MP3 (44.1 kHz, 128 kbit/s: tones in bursts, made by
// ffmpeg in a temporary folder) is decoded on a thread of its own by Qt
// Multimedia's decoder, four times each way, alternating: the baseline
// hands the samples to a sink that does nothing (BackgroundDecode), the
// envelope run is the EnvelopeLoader with an empty cache (reducing the
// samples as they come and writing the cache file). Printed: the median of
// each in wall-clock and processor time, their ratios (target: at most
// 1.2), the event loop's longest pause during each (target: under 50 ms; the
// loop ticks every millisecond) against the same loop left idle (what the
// machine's other work costs it), and the time to read the envelope back
// from the cache on the next visit.
//   cmake --build <build dir> --target run-bench_audio_envelope
#include "audio/AudioBackend.h"
#include "audio/BackgroundDecode.h"
#include "audio/EnvelopeLoader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

using namespace stanzary;

namespace {

constexpr int kSongSeconds = 300;
constexpr int kRuns = 4;

struct Run
{
    double ms = 0;
    double cpuMs = 0; // processor time of the whole program meanwhile, all threads
    qint64 longestPauseMs = 0;
    double leastCpuMs = 0; // of several runs, the least processor time (the least disturbed)
};

double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Runs start() inside an event loop that ends on done, timing it and the
// longest gap between the ticks of a 1 ms timer meanwhile.
Run timed(const std::function<void(const std::function<void()> &done)> &start)
{
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 last = 0;
    Run run;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.elapsed();
        run.longestPauseMs = qMax(run.longestPauseMs, now - last);
        last = now;
    });
    const double cpu = processCpuMs();
    clock.start();
    tick.start();
    QTimer::singleShot(0, &loop, [&] { start([&] { loop.quit(); }); });
    loop.exec();
    run.ms = double(clock.nsecsElapsed()) / 1e6;
    run.cpuMs = processCpuMs() - cpu;
    return run;
}

Run median(QList<Run> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Run &a, const Run &b) { return a.ms < b.ms; });
    Run m = runs.at(runs.size() / 2);
    std::sort(runs.begin(), runs.end(), [](const Run &a, const Run &b) { return a.cpuMs < b.cpuMs; });
    m.cpuMs = runs.at(runs.size() / 2).cpuMs;
    m.leastCpuMs = runs.first().cpuMs;
    for (const Run &r : runs)
        m.longestPauseMs = qMax(m.longestPauseMs, r.longestPauseMs);
    return m;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    startAudio();
    QTemporaryDir tmp;
    const QString mp3 = tmp.filePath(QStringLiteral("five minutes.mp3"));
    const QString tones =
        QStringLiteral("aevalsrc=0.6*sin(2*PI*220*t)*lt(mod(t\\,4)\\,2.5)|0.5*sin(2*PI*330*t)*lt(mod(t\\,"
                       "3)\\,2):s=44100:d=%1")
            .arg(kSongSeconds);
    if (QProcess::execute(QStringLiteral("ffmpeg"),
                          {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                           QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), tones,
                           QStringLiteral("-b:a"), QStringLiteral("128k"), mp3})
        != 0) {
        std::fprintf(stderr, "ffmpeg could not make the test song.\n");
        return 1;
    }

    // The event loop with nothing else to do, as long as a decoding takes:
    // what the machine's other work costs it.
    const Run idle = timed([&](const std::function<void()> &done) { QTimer::singleShot(4000, &app, done); });

    QList<Run> decodeRuns;
    QList<Run> envelopeRuns;
    qint64 bins = 0;
    const auto decodeOnce = [&] {
        decodeRuns << timed([&](const std::function<void()> &done) {
            auto *decode = new BackgroundDecode(nullptr, &app);
            QObject::connect(decode, &BackgroundDecode::finished, decode, [=](const DecodeOutcome &outcome) {
                if (!outcome.ok)
                    std::fprintf(stderr, "decoding failed: %s\n", qPrintable(outcome.error));
                decode->deleteLater();
                done();
            });
            decode->start(mp3, [](const PcmChunk &) { return true; });
        });
    };
    const auto envelopeOnce = [&](int i) {
        const QString cache = tmp.filePath(QStringLiteral("cache-%1").arg(i));
        envelopeRuns << timed([&](const std::function<void()> &done) {
            auto *loader = new EnvelopeLoader(nullptr, cache, &app);
            QObject::connect(loader, &EnvelopeLoader::envelopeReady, loader, [=, &bins](const SoundEnvelope &e) {
                bins = e.levels.size();
                loader->deleteLater();
                done();
            });
            QObject::connect(loader, &EnvelopeLoader::messageChanged, loader, [=](const QString &message) {
                if (message.startsWith(QStringLiteral("No waveform"))) {
                    std::fprintf(stderr, "%s\n", qPrintable(message));
                    loader->deleteLater();
                    done();
                }
            });
            loader->load(mp3);
        });
    };
    // Alternating which comes first, so neither has the warmer start.
    for (int i = 0; i < kRuns; ++i) {
        if (i % 2 == 0)
            decodeOnce();
        envelopeOnce(i);
        if (i % 2 == 1)
            decodeOnce();
    }

    // The next visit: the same file, the cache of the last run.
    double cachedMs = 0;
    {
        EnvelopeLoader loader(nullptr, tmp.filePath(QStringLiteral("cache-%1").arg(kRuns - 1)));
        bool fromCache = false;
        QObject::connect(&loader, &EnvelopeLoader::envelopeReady, &loader, [&] { fromCache = true; });
        QElapsedTimer clock;
        clock.start();
        loader.load(mp3);
        cachedMs = double(clock.nsecsElapsed()) / 1e6;
        if (!fromCache)
            std::fprintf(stderr, "the second visit did not read the cache\n");
    }

    // The reduction by itself, on as many samples as the song has, in
    // chunks of the decoder's size: what the envelope adds to a decoding.
    double reduceCpuMs = 0;
    {
        QList<float> chunk(2 * 1152 * 4);
        for (qsizetype i = 0; i < chunk.size(); ++i)
            chunk[i] = float(std::sin(double(i) * 0.01));
        EnvelopeBuilder builder;
        const qsizetype chunks = qsizetype(kSongSeconds) * 44100 * 2 / chunk.size();
        const double cpu = processCpuMs();
        for (qsizetype c = 0; c < chunks; ++c)
            builder.add(44100, 2, chunk.constData(), chunk.size());
        const SoundEnvelope reduced = builder.envelope();
        reduceCpuMs = processCpuMs() - cpu;
        if (reduced.levels.size() != kSongSeconds * 100)
            std::fprintf(stderr, "the reduction made %lld bins\n", qint64(reduced.levels.size()));
    }

    const Run decode = median(decodeRuns);
    const Run envelope = median(envelopeRuns);
    std::printf("song: %d s stereo MP3, %lld envelope bins\n", kSongSeconds, bins);
    std::printf("idle event loop: longest pause %lld ms in %.0f ms\n", idle.longestPauseMs, idle.ms);
    std::printf("decoding alone (baseline): %.0f ms, processor %.0f ms, event loop's longest pause %lld ms\n",
                decode.ms, decode.cpuMs, decode.longestPauseMs);
    std::printf("envelope and cache file:   %.0f ms, processor %.0f ms, event loop's longest pause %lld ms\n",
                envelope.ms, envelope.cpuMs, envelope.longestPauseMs);
    std::printf("ratio envelope / decoding: %.3f, processor %.3f (target <= 1.2); longest pause target < 50 ms\n",
                envelope.ms / decode.ms, envelope.cpuMs / decode.cpuMs);
    std::printf("least processor time of %d runs: decoding %.0f ms, envelope %.0f ms, ratio %.3f\n", kRuns,
                decode.leastCpuMs, envelope.leastCpuMs, envelope.leastCpuMs / decode.leastCpuMs);
    std::printf("reduction alone, the song's samples: processor %.1f ms (%.1f%% of decoding)\n", reduceCpuMs,
                100.0 * reduceCpuMs / decode.cpuMs);
    std::printf("next visit, from the cache: %.2f ms\n", cachedMs);
    return 0;
}
