#!/usr/bin/env bash
# Runs `ormelle-bench music` against a private PulseAudio daemon with a null sink, so
# that the player's output path is measured on any machine, with or without a sound card.
#   bench/music.sh BENCH FILE [options of ormelle-bench music]
set -euo pipefail
bench=$1; shift
dossier=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$dossier"' EXIT
HOME=$dossier XDG_RUNTIME_DIR=$dossier PULSE_RUNTIME_PATH=$dossier/run PULSE_STATE_PATH=$dossier/state \
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit=yes --log-level=error \
  -L "module-null-sink sink_name=ormelle_nul rate=44100 channels=2" \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$dossier/native" &
pid=$!
for _ in $(seq 100); do [ -S "$dossier/native" ] && break; sleep 0.1; done
PULSE_SERVER=unix:$dossier/native "$bench" music "$@"
