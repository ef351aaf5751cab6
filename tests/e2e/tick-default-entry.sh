# Another program changes the default entry while telmaq runs: telmaq follows a listed entry
# (in the list's own writing, without writing the default entry back) and asks for a restart,
# once, for a name it does not list.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tick-lib.sh"

make_phonebook "Alpha" "Beta" "Gamma"
dialup default "Alpha" >/dev/null

start_telmaq
pid=$TELMAQ_PID
wait_for_main_window "$pid"

# The selection shows in what Enter dials. Ticks come every second; wait a few of them.
dialup default "Beta" >/dev/null
sleep 3
send_keys "$MAIN_WINDOW" Return
wait_for "$E2E_TIMEOUT" "the followed entry Beta to be connected" connected_to "Beta"
connected_to "Alpha" && fail "the old entry Alpha was dialled"
pass "a new default entry is followed"
wait_for "$E2E_TIMEOUT" "the connecting dialog to close" only_main_window_of "$pid"
dialup hangup --all >/dev/null
wait_for "$E2E_TIMEOUT" "the connection to go" no_connections

dialup default "gAMMA" >/dev/null
sleep 3
send_keys "$MAIN_WINDOW" Return
wait_for "$E2E_TIMEOUT" "Gamma to be connected" connected_to "Gamma"
[ "$(dialup default)" = "gAMMA" ] || fail "the default entry was rewritten: $(dialup default)"
[ ! -s "$TELMAQ_MESSAGE_LOG" ] || fail "unexpected messages: $(messages)"
pass "a default entry in other letter case selects the listed entry and is left as it was"
wait_for "$E2E_TIMEOUT" "the connecting dialog to close" only_main_window_of "$pid"
dialup hangup --all >/dev/null
wait_for "$E2E_TIMEOUT" "the connection to go" no_connections

notice="設定が変更されました。telmaq を再起動してください"
dialup default "Nowhere" >/dev/null
wait_for "$E2E_TIMEOUT" "the restart notice" message_logged "$notice"
sleep 4
[ "$(grep -cF -- "$notice" "$TELMAQ_MESSAGE_LOG")" = 1 ] || fail "the notice stacked: $(messages)"
[ "$(dialup default)" = "Nowhere" ] || fail "the default entry was rewritten: $(dialup default)"
is_running "$pid" || fail "telmaq ended"
pass "an unknown default entry gives one restart notice"
