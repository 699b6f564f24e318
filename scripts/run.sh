#!/usr/bin/env bash
# make run: starts the built program on a project (RUN_PROJECT, else the example
# project of the Orvanta PLC device). With a display the program runs until the
# user closes it. Without one it runs under xvfb-run for RUN_SECONDS (default 20),
# the whole screen is saved to <build>/screenshot.png, the program is ended with
# SIGTERM, and the run fails unless it opened the project, wrote the closing line
# last and ended with exit code 0.
set -euo pipefail

BUILD_DIR=${BUILD_DIR:-build}
PROGRAM_DIR=$(cd "$BUILD_DIR/Configurator" && pwd)
PROGRAM=$PROGRAM_DIR/Configurator
PROJECT=${RUN_PROJECT:-$PROGRAM_DIR/Project/ExamplePLC.hc}
RUN_SECONDS=${RUN_SECONDS:-20}
SCREENSHOT=$(cd "$BUILD_DIR" && pwd)/screenshot.png
LOG=$PROGRAM_DIR/Log/Vezevire.log
# The build is sanitized: leaks inside system libraries are not the program's.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "$0")/.." && pwd)/tests/lsan.supp}

if [ ! -f "$PROJECT" ]; then
  echo "make run: no project $PROJECT" >&2
  exit 1
fi

if [ -n "${DISPLAY:-}" ]; then
  exec "$PROGRAM" "$PROJECT"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program runs, is looked at, and is asked to end as a desktop session would.
cat > "$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
"$1" "$2" &
pid=$!
sleep "$3"
import -window root "$4" || echo "make run: the screenshot failed" >&2
kill -TERM "$pid" 2>/dev/null || true
rc=0
wait "$pid" || rc=$?
echo "$rc" > "$5"
SESSION
chmod +x "$work/session.sh"

echo "make run: $PROGRAM $PROJECT (headless, $RUN_SECONDS s)"
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/session.sh" "$PROGRAM" "$PROJECT" "$RUN_SECONDS" "$SCREENSHOT" "$work/rc"
rc=$(cat "$work/rc" 2>/dev/null || echo 255)

# The lines of this run: after the last start line (the log may have been rotated into .1).
run_log() {
  { if [ -f "$LOG.1" ]; then cat "$LOG.1"; fi; if [ -f "$LOG" ]; then cat "$LOG"; fi; } | iconv -c -f windows-1251 -t utf-8 | awk '/Запуск конструктора/ { n = NR } { line[NR] = $0 } END { for (i = n; i <= NR; i++) if (i > 0) print line[i] }'
}
lines=$(run_log)
status=0
if [ "$rc" != 0 ]; then
  echo "make run: the program ended with exit code $rc" >&2
  status=1
fi
project_abs=$(realpath "$PROJECT")
if ! grep -qF "Открытие проекта: $project_abs" <<<"$lines"; then
  echo "make run: the log does not show the project $project_abs opened" >&2
  status=1
elif sed -n "/Открытие проекта: /,\$p" <<<"$lines" | grep -q '\[5\]'; then
  echo "make run: the log shows an error after the project was opened:" >&2
  sed -n "/Открытие проекта: /,\$p" <<<"$lines" | grep '\[5\]' >&2
  status=1
fi
if ! tail -n 1 <<<"$lines" | grep -q "Завершение работы конструктора"; then
  echo "make run: the closing line is not the last line of the log" >&2
  status=1
fi
echo "make run: screenshot $SCREENSHOT, log $LOG"
if [ "$status" != 0 ]; then
  echo "--- log of this run ---" >&2
  echo "$lines" >&2
fi
exit "$status"
