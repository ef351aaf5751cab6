# With both application options set, the application starts once connected and the line is
# hung up when it ends.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tick-lib.sh"

make_phonebook "Alpha"
dialup default "Alpha" >/dev/null
ended=$E2E_DIR/application-ended
set_setting AutoApplication 1
set_setting ApplicationDisconnection 1
set_setting_text ApplicationFile "sh -c 'sleep 2; date +%s.%N > $ended'"

start_telmaq
pid=$TELMAQ_PID
wait_for_main_window "$pid"
send_keys "$MAIN_WINDOW" Return
wait_for "$E2E_TIMEOUT" "Alpha to be connected" connected_to "Alpha"
wait_for "$E2E_TIMEOUT" "the application to end" test -s "$ended"
wait_for "$E2E_TIMEOUT" "the hang-up after the application's end" no_connections
# The figure is reported, not judged: a loaded machine may take longer.
echo "hung up $(elapsed_since "$(cat "$ended")") s after the application ended (tick every 1 s)"
is_running "$pid" || fail "telmaq ended"
[ ! -s "$TELMAQ_MESSAGE_LOG" ] || fail "unexpected messages: $(messages)"
pass "the connection is hung up when the application ends"

send_keys "$MAIN_WINDOW" Escape
wait_for "$E2E_TIMEOUT" "telmaq to end" has_exited "$pid"
