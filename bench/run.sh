#!/usr/bin/env bash
# Runs every benchmark of the suite and prints its figures, each against a baseline measured in
# the same run. Run by hand after a build (the default build folder is ./build); the start
# figures need Xvfb (Debian package xvfb), on which the programs' windows are watched from
# outside. Nothing here touches the user's own settings or install folder.
#
#   bench/run.sh [build folder]
set -euo pipefail
unset CDPATH
repository=$(cd -- "$(dirname -- "$0")/.." && pwd -P)
build=$(cd -- "${1:-$repository/build}" && pwd -P)
bench=$build/bench
for program in kvtu_query_library_bench kvtu_refresh_all_bench kvtu_list_fill_bench \
  kvtu_minimal_window; do
  if [[ ! -x $bench/$program ]]; then
    echo "$0: $bench/$program is missing; build the suite with benchmarks first" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kvtu-bench.XXXXXX")
xvfb_pid=
cleanup() {
  if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf -- "$work"
}
trap cleanup EXIT
# The install step also writes menu entries into the data folder: the bench's own, too.
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime XDG_DATA_HOME=$work/data
mkdir -p "$XDG_CONFIG_HOME" && mkdir -m 0700 "$XDG_RUNTIME_DIR"

echo "== status query"
"$bench/kvtu_query_library_bench"
echo
echo "== Refresh All"
"$bench/kvtu_refresh_all_bench"
echo
echo "== filling the FTP lists with 100,000 names"
"$bench/kvtu_list_fill_bench"
echo

echo "== program starts (exec to window mapped, and to its first picture drawn, on Xvfb)"
if ! command -v Xvfb >/dev/null || [[ ! -x $bench/kvtu_window_start_bench ]]; then
  echo "skipped: needs Xvfb, and the headers of Xlib and its damage extension at build time (Debian: xvfb, libx11-dev, libxdamage-dev)"
  exit 0
fi
install=$work/install
"$repository/scripts/install.sh" "$install" "$build" >/dev/null

# The browser with server lists of 0, 1,000 and 10,000 lines, each in an install folder and a
# settings store of its own; the lines come in no sorted order, as a list grows by hand.
browser_command() {
  local lines=$1 folder=$work/list-$1
  mkdir -p "$folder/dta" "$folder/config"
  awk -v n="$lines" 'BEGIN { for (i = 0; i < n; ++i) { k = (i * 7919) % n;
    printf "127.%d.%d.%d:%d\r\n", int(k / 65536) % 256, int(k / 256) % 256, k % 256, 2303 + k % 7 } }' \
    >"$folder/dta/serverlist.dat"
  XDG_CONFIG_HOME=$folder/config "$build/platform/core/kvtu_settings_tool" \
    record-install "$folder" default >/dev/null
  echo "XDG_CONFIG_HOME=$folder/config $install/kvtu_dadererizarud"
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s $work/display ]] && break
  sleep 0.1
done
display=$(tr -dc 0-9 <"$work/display")
if [[ -z $display ]]; then
  echo "$0: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=:$display

"$bench/kvtu_window_start_bench" 21 --goal "<= 1.2x" \
  "minimal Qt window (picture + label)" \
  "$bench/kvtu_minimal_window $install/styles/default/background.jpg" \
  "launcher" "$install/kvt_vavaver"
echo
"$bench/kvtu_window_start_bench" 11 \
  "browser, empty list" "$(browser_command 0)" \
  "browser, 1,000 lines" "$(browser_command 1000)" \
  "browser, 10,000 lines" "$(browser_command 10000)"
