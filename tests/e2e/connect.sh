# Connecting and disconnecting by hand in the real program, against the line simulator.
source "$(dirname "$0")/lib.sh"

connected_to() { dialup connections | grep -q "^$1"; }
no_connections() { [ -z "$(dialup connections)" ]; }

make_phonebook "Alpha" "Beta"
dialup default "Beta" >/dev/null

start_telmaq
pid=$TELMAQ_PID
wait_for_main_window "$pid"

# Enter presses the default button, "接続(&C)", which dials the selected (default) entry.
send_keys "$MAIN_WINDOW" Return
wait_for "$E2E_TIMEOUT" "Beta to be connected" connected_to "Beta"
connected_to "Alpha" && fail "Alpha was dialled as well"
pass "Enter dials the default entry"

# The connecting dialog closes once connected; then "切断(&D)" hangs up.
wait_for "$E2E_TIMEOUT" "the connecting dialog to close" main_window_of "$pid"
sleep 0.5
send_keys "$MAIN_WINDOW" alt+d
wait_for "$E2E_TIMEOUT" "the connection to be hung up" no_connections
is_running "$pid" || fail "telmaq ended"
[ ! -s "$TELMAQ_MESSAGE_LOG" ] || fail "unexpected messages: $(messages)"
pass "the Disconnect button hangs up"

# The program's own history, as the user reads it: the dial, the connect and the hang-up with
# its duration, each started by the button.
events=$(dialup history --json | sed -E 's/.*"cause":"([^"]*)","event":"([^"]*)".*"duration":([^}]*)}/\1 \2 \3/')
expected=$'button dial-started null\nbutton connected null'
[ "$(head -2 <<<"$events")" = "$expected" ] || fail "history: $events"
grep -Eq '^button hung-up [0-9]+$' <<<"$(tail -1 <<<"$events")" || fail "history: $events"
pass "the history holds the dial, the connect and the hang-up"

send_keys "$MAIN_WINDOW" Escape
wait_for "$E2E_TIMEOUT" "Esc to end the program" has_exited "$pid"
