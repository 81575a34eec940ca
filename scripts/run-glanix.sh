#!/usr/bin/env bash
# Starts Glanix, or explains how to when there is no display to show it on.
set -euo pipefail
binary=$1
shift
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  cat >&2 <<MSG
Glanix is a desktop program and this session has no display (neither DISPLAY nor
WAYLAND_DISPLAY is set). Start it on a virtual X server instead:

    xvfb-run -a -s "-screen 0 1600x1000x24" $binary $*

or, from this folder, "xvfb-run -a make run".
MSG
  exit 1
fi
exec "$binary" "$@"
