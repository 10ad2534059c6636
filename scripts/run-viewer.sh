#!/usr/bin/env bash
# Starts the viewer, or says in one line why it cannot.
set -u
viewer=$1
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "make run: no display found (DISPLAY is not set); start it from a desktop session, or try: xvfb-run make run" >&2
  exit 1
fi
exec "$viewer"
