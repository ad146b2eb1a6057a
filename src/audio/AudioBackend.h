#pragma once

#include <QString>

namespace stanzary {

// The Qt Multimedia backend the program plays and decodes with.
//
// On Debian 12 (Qt 6.4) two backends are installed. The FFmpeg backend
// decodes an MP3 file sample-exact: it drops the encoder's delay, so a line
// that starts at 1.730 s in the song is decoded at 1.730 s. The GStreamer
// backend, Qt's default there, decodes the same file 1105 samples (50 ms at
// 22 kHz) late, keeping the encoder's delay, and its decoder cannot open a
// file given by a relative path. Timing a song needs times that are right,
// so the FFmpeg backend is chosen, unless QT_MEDIA_BACKEND names one
// already (a person who sets it means it).
//
// Qt reads the choice when the first multimedia object is made, so this must
// run before that; the player and the decoders of this library call it
// themselves.
void chooseAudioBackend();

// Chooses the backend and sets Qt Multimedia up on the calling thread, which
// must be the main thread: Qt keeps what it makes on first use on the thread
// that used it, and a decoding thread ends. main() calls it before the
// windows are made; the player and BackgroundDecode call it too.
void startAudio();

// The backend chosen ("ffmpeg"), for messages.
QString audioBackendName();

// True when the system has a sound output device to play to.
bool hasSoundOutput();

} // namespace stanzary
