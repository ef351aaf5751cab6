# The clock starts and ends connections by itself: a scheduled connect a few seconds ahead
# dials the selected entry; a scheduled disconnect hangs up a connection that another program
# (telmaq-dialup) made.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tick-lib.sh"

make_phonebook "Alpha" "Beta"
dialup default "Beta" >/dev/null
schedule_every_day
set_setting AutoDisconnection 0

# The connect time lies a few seconds ahead of the start; should start-up take that long on a
# slow machine, try again with more room.
lead=3
until
    target=$(($(now_epoch) + lead))
    set_time_setting Connection "$target"
    start_telmaq_before "$target"
do
    lead=$((lead * 2))
    [ "$lead" -le 48 ] || fail "telmaq never started in time for a scheduled connect"
done
pid=$TELMAQ_PID
wait_for "$E2E_TIMEOUT" "the scheduled connect to dial Beta" connected_to "Beta"
[ "$(now_epoch)" -ge "$target" ] || fail "dialled before the connect time"
connected_to "Alpha" && fail "Alpha was dialled as well"
[ ! -s "$TELMAQ_MESSAGE_LOG" ] || fail "a scheduled connect showed messages: $(messages)"
pass "automatic connection at the connect time dials the selected entry"

# Once the connect has ended, hang up and end this copy.
wait_for "$E2E_TIMEOUT" "the connecting dialog to close" only_main_window_of "$pid"
dialup hangup --all >/dev/null
wait_for "$E2E_TIMEOUT" "the connection to go" no_connections
send_keys "$MAIN_WINDOW" Escape
wait_for "$E2E_TIMEOUT" "telmaq to end" has_exited "$pid"

# A scheduled disconnect hangs up whatever connection there is, whoever made it. The connect
# time is far from now so that only the disconnect falls due.
set_time_setting Connection "$(($(now_epoch) + 43200))"
set_setting AutoDisconnection 1
# Both telmaq and the connection must be up before the disconnect second; on a slow machine
# try again with more room.
disconnect_ahead() {
    target=$(($(now_epoch) + lead))
    set_time_setting Disconnection "$target"
    start_telmaq_before "$target" || return 1
    dialup dial "Alpha" >/dev/null || fail "telmaq-dialup could not dial Alpha"
    connected_to "Alpha" || fail "the connection of telmaq-dialup is not listed"
    [ "$(now_epoch)" -lt "$target" ] && return 0
    dialup hangup --all >/dev/null
    kill "$TELMAQ_PID" 2>/dev/null || true
    wait "$TELMAQ_PID" 2>/dev/null || true
    return 1
}
lead=4
until disconnect_ahead; do
    lead=$((lead * 2))
    [ "$lead" -le 64 ] || fail "telmaq and the connection were never up in time for a scheduled disconnect"
done
pid=$TELMAQ_PID
wait_for "$E2E_TIMEOUT" "the scheduled disconnect to hang up" no_connections
[ "$(now_epoch)" -ge "$target" ] || fail "hung up before the disconnect time"
is_running "$pid" || fail "telmaq ended"
[ ! -s "$TELMAQ_MESSAGE_LOG" ] || fail "a scheduled disconnect showed messages: $(messages)"
pass "a scheduled disconnect hangs up a connection made by telmaq-dialup"

send_keys "$MAIN_WINDOW" Escape
wait_for "$E2E_TIMEOUT" "telmaq to end" has_exited "$pid"
