# Helpers for the end-to-end tests, sourced by every test script. A script runs inside
# run-e2e (a virtual X server and a private D-Bus session); ctest hands it the programs as
# TELMAQ_BIN, TELMAQ_DIALUP_BIN and TELMAQ_REG_BIN. Each script gets a folder of its own for
# the hive, the phonebook, the runtime folder (the instance lock) and the message log.
set -euo pipefail

: "${TELMAQ_BIN:?TELMAQ_BIN must name the telmaq program}"
: "${TELMAQ_DIALUP_BIN:?TELMAQ_DIALUP_BIN must name telmaq-dialup}"
: "${TELMAQ_REG_BIN:?TELMAQ_REG_BIN must name telmaq-reg}"

E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/telmaq-e2e-XXXXXX")
mkdir -p "$E2E_DIR/runtime" "$E2E_DIR/config" "$E2E_DIR/home"
chmod 700 "$E2E_DIR/runtime"
export TELMAQ_REGISTRY=$E2E_DIR/hive.db
export TELMAQ_DIALUP_DB=$E2E_DIR/dialup.db
export TELMAQ_HISTORY_DB=$E2E_DIR/history.db
export XDG_RUNTIME_DIR=$E2E_DIR/runtime
export XDG_CONFIG_HOME=$E2E_DIR/config
export HOME=$E2E_DIR/home
export TELMAQ_MESSAGE_LOG=$E2E_DIR/messages.log
export QT_QPA_PLATFORM=xcb
# Sanitizer builds are slow: every wait below is generous and none asserts on speed.
E2E_TIMEOUT=${E2E_TIMEOUT:-60}

TELMAQ_PIDS=()

e2e_cleanup() {
    local status=$?
    local pid
    for pid in "${TELMAQ_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${TELMAQ_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    if [ $status -ne 0 ]; then
        echo "--- telmaq output" >&2
        cat "$E2E_DIR"/telmaq-*.out >&2 2>/dev/null || true
        echo "--- message log" >&2
        cat "$TELMAQ_MESSAGE_LOG" >&2 2>/dev/null || true
        "$TELMAQ_DIALUP_BIN" hangup --all >/dev/null 2>&1 || true
    fi
    rm -rf "$E2E_DIR"
    exit $status
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

pass() {
    echo "PASS: $*"
}

dialup() { "$TELMAQ_DIALUP_BIN" "$@"; }
reg() { "$TELMAQ_REG_BIN" "$@"; }

# wait_for SECONDS DESCRIPTION COMMAND...: runs COMMAND every 0.1 s until it succeeds.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        if [ $SECONDS -ge $deadline ]; then
            fail "timed out after ${seconds}s waiting for: $what"
        fi
        sleep 0.1
    done
}

# A phonebook of the given entry names (line behaviour: connects after short steps).
make_phonebook() {
    local name
    for name in "$@"; do
        dialup add "$name" --phone 0123 --user user --password secret --step-ms 50 >/dev/null
    done
}

# start_telmaq: starts telmaq in the background; its pid lands in TELMAQ_PID.
start_telmaq() {
    local n=${#TELMAQ_PIDS[@]}
    "$TELMAQ_BIN" >"$E2E_DIR/telmaq-$n.out" 2>&1 &
    TELMAQ_PID=$!
    TELMAQ_PIDS+=("$TELMAQ_PID")
}

is_running() { kill -0 "$1" 2>/dev/null; }
has_exited() { ! kill -0 "$1" 2>/dev/null; }

# The visible windows of a process whose title is exactly TITLE.
windows_of() {
    local pid=$1 title=$2
    xdotool search --all --onlyvisible --pid "$pid" --name "^${title}\$" 2>/dev/null || true
}

# The main window's id; fails when there is none (yet).
main_window_of() {
    local pid=$1
    [ ! -s "$TELMAQ_MESSAGE_LOG" ] || return 1
    local w
    w=$(windows_of "$pid" telmaq | head -n1)
    [ -n "$w" ] && echo "$w"
}

# wait_for_main_window PID: waits until the main window shows; its id lands in MAIN_WINDOW.
wait_for_main_window() {
    local pid=$1
    wait_for "$E2E_TIMEOUT" "telmaq's main window" main_window_of "$pid"
    MAIN_WINDOW=$(main_window_of "$pid")
    # Start-up ends by lining the timer up with the second; let it settle.
    sleep 0.5
}

# send_keys WINDOW KEY...: gives the window the keyboard focus and types the keys.
send_keys() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    sleep 0.2
    xdotool key --clearmodifiers "$@"
}

# wait_for_box PID: waits until a message box titled "telmaq" shows (it is logged just before
# it appears); its id lands in BOX.
box_shown() { [ -n "$(windows_of "$1" telmaq)" ]; }
wait_for_box() {
    local pid=$1
    wait_for "$E2E_TIMEOUT" "the message box on the screen" box_shown "$pid"
    BOX=$(windows_of "$pid" telmaq | head -n1)
}

# The message log: one line per message box, "title<TAB>style<TAB>text".
messages() { cat "$TELMAQ_MESSAGE_LOG" 2>/dev/null || true; }
message_logged() { grep -qF -- "$1" "$TELMAQ_MESSAGE_LOG" 2>/dev/null; }

# The settings telmaq keeps, as telmaq-reg lists them; empty when there is no such key.
settings_values() { reg query 'Software\wexhal\telmaq\Settings' 2>/dev/null || true; }
wexhal_key_exists() { reg query 'Software\wexhal' >/dev/null 2>&1; }
