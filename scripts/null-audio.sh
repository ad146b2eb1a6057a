#!/usr/bin/env bash
# Runs a command with a sound server of its own: PulseAudio whose only output
# is a null sink, in a private folder (mode 0700), stopped again when the
# command ends. The audio tests play through it with the real player, on a
# machine without a sound card and without sounding through a desktop's
# speakers. The exit code is the command's.
#
#   scripts/null-audio.sh ctest --test-dir build
#
# Inside another null-audio.sh (PULSE_SERVER set by it) the command just runs
# on that server.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 command [arguments...]" >&2; exit 2; }

if [ -n "${STANZARY_NULL_AUDIO:-}" ] && [ -n "${PULSE_SERVER:-}" ]; then
  exec "$@"
fi

command -v pulseaudio >/dev/null || { echo "null-audio: pulseaudio is not installed (scripts/install-deps.sh)" >&2; exit 1; }
dir=$(mktemp -d "${TMPDIR:-/tmp}/stanzary-audio.XXXXXX")
chmod 700 "$dir"
socket="$dir/native"
pidfile="$dir/pulse/pid"

stop() {
  if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -rf "$dir"
}
trap stop EXIT

# Its settings, cookie and pid file stay in the private folder; the socket
# is there too, so anonymous access lets in only who may enter the folder.
HOME="$dir" XDG_RUNTIME_DIR="$dir" XDG_CONFIG_HOME="$dir/config" \
  pulseaudio --daemonize=yes --exit-idle-time=-1 -n --use-pid-file=yes --log-level=error \
  --load=module-null-sink \
  --load="module-native-protocol-unix socket=$socket auth-anonymous=1"
for _ in $(seq 100); do [ -S "$socket" ] && break; sleep 0.1; done
[ -S "$socket" ] || { echo "null-audio: the sound server did not start" >&2; exit 1; }

export PULSE_SERVER="unix:$socket" STANZARY_NULL_AUDIO=1
"$@"
