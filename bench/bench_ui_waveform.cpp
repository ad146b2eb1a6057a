// Drawing the waveform strip while a song plays, against drawing a plain
// widget of the same size.
//
// A five-minute envelope (made from generated samples) and 200 stamps, the
// strip 1000 x 130 pixels with its 10 s window; every frame moves the
// playhead on by 16 ms (about 60 frames a second) and draws the strip into
// an image, 60 s of song, with the 10 s window and with the whole song in
// view. Printed: the first frame (which reduces the envelope for the zoom),
// the mean, the 99th percentile and the longest of the others (target:
// under 2 ms a frame), the same for the strip without a song and stamps
// (the baseline), and the ratio.
//   cmake --build <build dir> --target run-bench_ui_waveform
#include "BenchTiming.h"

#include "karaoke/StampSteps.h"
#include "ui/WaveformStrip.h"

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

using namespace stanzary;

namespace {

constexpr int kSongMs = 300000;
constexpr int kFrameMs = 16;
constexpr int kFrames = 60000 / kFrameMs;

SoundEnvelope songEnvelope()
{
    EnvelopeBuilder builder;
    const int rate = 8000;
    QList<float> samples(rate);
    for (int second = 0; second < kSongMs / 1000; ++second) {
        for (int i = 0; i < rate; ++i) {
            const double t = second + double(i) / rate;
            samples[i] = float(0.6 * std::sin(2 * M_PI * 220 * t) * (std::fmod(t, 4.0) < 2.5 ? 1.0 : 0.01));
        }
        builder.add(rate, 1, samples.constData(), samples.size());
    }
    return builder.envelope();
}

struct Frames
{
    double firstMs = 0; // the first frame: fonts, the envelope reduced for the zoom
    double meanMs = 0;
    double p99Ms = 0;
    double longestMs = 0;
    double cpuMs = 0; // processor time a frame: what the machine's other work does not change
};

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Frames of widget drawn into an image, the playhead moving on when strip
// is given.
Frames drawFrames(QWidget &widget, WaveformStrip *strip)
{
    QImage image(widget.size() * widget.devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(widget.devicePixelRatioF());
    Frames frames;
    frames.firstMs = bench::elapsedMs([&] { widget.render(&image); });
    QList<double> times;
    const double cpuBefore = threadCpuMs();
    for (int f = 0; f < kFrames; ++f) {
        if (strip)
            strip->setPosition(20000 + qint64(f) * kFrameMs);
        times << bench::elapsedMs([&] { widget.render(&image); });
    }
    frames.cpuMs = (threadCpuMs() - cpuBefore) / kFrames;
    std::sort(times.begin(), times.end());
    double total = 0;
    for (double t : times)
        total += t;
    frames.meanMs = total / kFrames;
    frames.p99Ms = times.at(kFrames * 99 / 100);
    frames.longestMs = times.last();
    return frames;
}

void print(const char *what, const Frames &f)
{
    std::printf("%-34s first %.3f ms, then %.3f ms a frame, processor %.3f ms (99%% within %.3f ms, longest %.3f ms)\n",
                what, f.firstMs, f.meanMs, f.cpuMs, f.p99Ms, f.longestMs);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const SoundEnvelope envelope = songEnvelope();
    QList<KasRow> rows;
    for (int i = 0; i < 200; ++i)
        rows.append(KasRow{stampAtStep(i * 7 + 3), QStringLiteral("%1").arg(QChar(u'a' + i % 26)).repeated(2), {}});

    // The baseline: the same strip with no song and no stamps (background,
    // ruler, playhead), drawn first so it pays for the fonts.
    WaveformStrip empty;
    empty.resize(1000, 130);
    empty.setDuration(kSongMs);
    const Frames baseline = drawFrames(empty, &empty);

    WaveformStrip strip;
    strip.resize(empty.size());
    strip.setEnvelope(envelope);
    strip.setDuration(kSongMs);
    strip.setStamps(rows, 5);
    const Frames playing = drawFrames(strip, &strip);
    strip.setWindowMs(kSongMs);
    const Frames whole = drawFrames(strip, &strip);

    std::printf("scale %.2f, %d frames of 1000 x 130 pixels\n", strip.devicePixelRatioF(), kFrames);
    print("strip without song (baseline):", baseline);
    print("strip playing, 10 s window:", playing);
    print("strip playing, whole song:", whole);
    std::printf("ratio playing / baseline: %.2f, processor %.2f (target: under 2 ms a frame)\n",
                playing.meanMs / baseline.meanMs, playing.cpuMs / baseline.cpuMs);
    return 0;
}
