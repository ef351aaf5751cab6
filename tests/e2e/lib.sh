# Helpers for the end-to-end tests, sourced by every test script. A script runs inside
# run-e2e (a virtual X server and a private D-Bus session); ctest hands it the programs as
# TELMAQ_BIN, TELMAQ_DIALUP_BIN and TELMAQ_REG_BIN. Each script gets a folder of its own for
# the hive, the phonebook, the runtime folder (the instance lock) and the message log.
set -euo pipefail

E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/telmaq-e2e-XXXXXX")
mkdir -p -m 700 "$E2E_DIR"/{runtime,config,home}
export TELMAQ_REGISTRY=$E2E_DIR/hive.db TELMAQ_DIALUP_DB=$E2E_DIR/dialup.db TELMAQ_HISTORY_DB=$E2E_DIR/history.db
export XDG_RUNTIME_DIR=$E2E_DIR/runtime XDG_CONFIG_HOME=$E2E_DIR/config HOME=$E2E_DIR/home
export TELMAQ_MESSAGE_LOG=$E2E_DIR/messages.log QT_QPA_PLATFORM=xcb
# Sanitizer builds are slow: every wait below is generous and none asserts on speed.
E2E_TIMEOUT=${E2E_TIMEOUT:-60}
SETTINGS_KEY='Software\wexhal\telmaq\Settings'
TELMAQ_PIDS=()

e2e_cleanup() {
    local status=$?
    set +e
    kill "${TELMAQ_PIDS[@]}" 2>/dev/null; wait "${TELMAQ_PIDS[@]}"
    [ $status = 0 ] || { echo "--- telmaq output"; cat "$E2E_DIR"/telmaq-*.out; echo "--- messages"; messages; } >&2
    [ $status = 0 ] || dialup hangup --all >/dev/null 2>&1
    rm -rf "$E2E_DIR"
    exit $status
}
trap e2e_cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
dialup() { "$TELMAQ_DIALUP_BIN" "$@"; }
reg() { "$TELMAQ_REG_BIN" "$@"; }

# wait_for COMMAND...: runs COMMAND every 0.1 s until it succeeds.
wait_for() {
    local deadline=$((SECONDS + E2E_TIMEOUT))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || fail "timed out after ${E2E_TIMEOUT}s waiting for: $*"
        sleep 0.1
    done
}

# make_phonebook DEFAULT OTHER...: a phonebook of these entries, whose lines connect after short
# steps, the first the default entry.
make_phonebook() {
    for name; do dialup add "$name" --phone 0123 --user user --password secret --step-ms 50 >/dev/null; done
    dialup default "$1" >/dev/null
}

# start_telmaq: starts telmaq in the background; its pid lands in pid.
start_telmaq() { "$TELMAQ_BIN" >"$E2E_DIR/telmaq-${#TELMAQ_PIDS[@]}.out" 2>&1 & pid=$! && TELMAQ_PIDS+=("$pid"); }

# open_telmaq: starts telmaq and waits for its main window.
open_telmaq() { start_telmaq && wait_for_main_window; }

still_running() { kill -0 "${1:-$pid}" 2>/dev/null || fail "telmaq ended"; }
has_exited() { ! kill -0 "$1" 2>/dev/null; }

# The visible windows of a process whose title is exactly TITLE; fails when there are none.
windows_of() { xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | grep .; }

# The main window's id; fails when there is none (yet), or a message has come instead.
main_window_of() { [ ! -s "$TELMAQ_MESSAGE_LOG" ] && windows_of "$1" telmaq | sed -n 1p; }

# wait_for_main_window [PID]: waits until the main window shows; its id lands in MAIN_WINDOW.
# Start-up ends by lining the timer up with the second; let it settle.
wait_for_main_window() { wait_for main_window_of "${1:-$pid}" && MAIN_WINDOW=$(main_window_of "${1:-$pid}") && sleep 0.5; }

# PID has one window on the screen: when it is the main window, the connecting dialog is gone,
# so the connect procedure has taken its last report. Hanging up before that would cut the
# report off and leave the dialog waiting.
one_window_of() { [ "$(xdotool search --all --onlyvisible --pid "$1" 2>/dev/null | wc -l)" -eq 1 ]; }

# send_keys WINDOW KEY...: gives the window the keyboard focus and types the keys.
send_keys() { { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; } && sleep 0.2 && xdotool key --clearmodifiers "${@:2}"; }

# quit_telmaq [PID]: Esc on the main window ends the program.
quit_telmaq() { send_keys "$MAIN_WINDOW" Escape; wait_for has_exited "${1:-$pid}"; }

# start_refused: telmaq shows a message box alone instead of its window, and ends once Enter
# closes it.
start_refused() {
    : >"$TELMAQ_MESSAGE_LOG"
    start_telmaq
    wait_for test -s "$TELMAQ_MESSAGE_LOG"
    wait_for windows_of "$pid" telmaq
    sleep 0.5
    one_window_of "$pid" || fail "expected the message box alone"
    send_keys "$(windows_of "$pid" telmaq)" Return
    wait_for has_exited "$pid"
}

# The message log: one line per message box, "title<TAB>style<TAB>text".
messages() { cat "$TELMAQ_MESSAGE_LOG" 2>/dev/null || true; }
message_logged() { grep -qF -- "$1" "$TELMAQ_MESSAGE_LOG" 2>/dev/null; }
no_messages() { [ ! -s "$TELMAQ_MESSAGE_LOG" ] || fail "unexpected messages: $(messages)"; }
# running_quietly [PID]: telmaq still runs and has shown no message box.
running_quietly() { still_running "$@" && no_messages; }

# connected_to NAME: there is one connection, to NAME; none to another entry.
connected_to() { [ "$(dialup connections | cut -f1)" = "$1" ]; }
no_connections() { [ -z "$(dialup connections)" ]; }

# hang_up_all: once the connect has ended, hangs up from outside.
hang_up_all() { wait_for one_window_of "$pid"; dialup hangup --all >/dev/null; wait_for no_connections; }

# set_setting NAME VALUE...: stores each of telmaq's settings as a number.
set_setting() { while [ $# -gt 1 ]; do reg set "$SETTINGS_KEY" "$1" dword "$2" >/dev/null || fail "cannot store $1"; shift 2; done; }

