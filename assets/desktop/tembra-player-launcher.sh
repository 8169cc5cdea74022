#!/bin/sh
# Starts Tembra Player from its program folder with the working directory in
# the user's state folder, where it keeps its guide transfer file (tv.xml)
# and its statistics backlog (bi.dat), whatever folder the desktop or the
# shell started it from.
here=$(dirname "$(readlink -f "$0")")
program="$here/../lib/tembra-player/tembra-player"
state_home=${XDG_STATE_HOME:-}
case $state_home in
  /*) ;;
  *) state_home="${HOME:?HOME is not set}/.local/state" ;;  # relative values are to be ignored
esac
state="$state_home/tembra-player"
mkdir -p "$state" || { echo "tembra-player: cannot create $state" >&2; exit 1; }
cd "$state" || exit 1
exec "$program" "$@"
