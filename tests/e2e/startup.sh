# Start-up and shutdown of the real program: the checks of dial-up networking, the single
# copy, Esc closing without writing anything (a stored application path that is not UTF-8 or
# is longer than an edit holds by default included), and a fresh start after the first copy
# ended.
source "$(dirname "$0")/lib.sh"

no_settings_written() {
    ! settings_values | grep -v '^ApplicationFile ' | grep -qiE 'Auto|Check|Connection|Disconnection|Application|Iconic|Window'
}
settings_key='Software\wexhal\telmaq\Settings'
stored_application() { reg query "$settings_key" ApplicationFile >"$1"; }

# --- an empty phonebook: the message, no main window, nothing in the hive
start_telmaq
pid=$TELMAQ_PID
wait_for "$E2E_TIMEOUT" "the start-up message" message_logged "ダイヤルアップネットワークの設定がありません"
message_logged "telmaq	48	ダイヤルアップネットワークの設定がありません" || fail "message title or style: $(messages)"
wait_for_box "$pid"
sleep 0.5
box=$(windows_of "$pid" telmaq)
[ "$(echo "$box" | grep -c .)" = 1 ] || fail "expected the message box alone, got windows: $box"
send_keys "$BOX" Return
wait_for "$E2E_TIMEOUT" "the program to end after the message" has_exited "$pid"
wexhal_key_exists && fail "a start-up that stopped created Software\\wexhal"
pass "an empty phonebook gives the message and no main window"

# --- entries but no default entry: the same
make_phonebook "Alpha" "Beta"
dialup default >/dev/null 2>&1 && [ -n "$(dialup default)" ] && fail "the phonebook came with a default entry"
: >"$TELMAQ_MESSAGE_LOG"
start_telmaq
pid=$TELMAQ_PID
wait_for "$E2E_TIMEOUT" "the start-up message" message_logged "ダイヤルアップネットワークの設定がありません"
wait_for_box "$pid"
sleep 0.5
box=$(windows_of "$pid" telmaq)
[ "$(echo "$box" | grep -c .)" = 1 ] || fail "expected the message box alone, got windows: $box"
send_keys "$BOX" Return
wait_for "$E2E_TIMEOUT" "the program to end after the message" has_exited "$pid"
wexhal_key_exists && fail "a start-up without a default entry created Software\\wexhal"
pass "no default entry gives the message and no main window"

# --- a second copy ends at once; the first runs on undisturbed
dialup default "Beta" >/dev/null
# メール in Shift-JIS: a legal file name that is no UTF-8.
reg set "$settings_key" ApplicationFile sz $'/opt/\x83\x81\x81\x5b\x83\x8b -q'
stored_application "$E2E_DIR/before"
rm -f "$TELMAQ_MESSAGE_LOG"
start_telmaq
first=$TELMAQ_PID
wait_for_main_window "$first"
first_window=$MAIN_WINDOW
start_telmaq
second=$TELMAQ_PID
wait_for "$E2E_TIMEOUT" "the second copy to end" has_exited "$second"
is_running "$first" || fail "the first copy ended too"
[ ! -s "$TELMAQ_MESSAGE_LOG" ] || fail "the second copy showed a message: $(messages)"
[ -z "$(windows_of "$second" telmaq)" ] || fail "the second copy showed a window"
[ "$(main_window_of "$first")" = "$first_window" ] || fail "the first copy's window went away"
pass "a second copy ends at once while the first keeps running"

# --- Esc closes the window and writes nothing
send_keys "$first_window" Escape
wait_for "$E2E_TIMEOUT" "Esc to end the program" has_exited "$first"
no_settings_written || fail "closing without changes wrote: $(settings_values)"
stored_application "$E2E_DIR/after"
cmp -s "$E2E_DIR/before" "$E2E_DIR/after" || fail "the application path was rewritten: $(od -c "$E2E_DIR/after" | head)"
pass "Esc closes and writes nothing"

# --- after the first copy has ended, a new one starts normally
reg set "$settings_key" ApplicationFile sz "/opt/$(printf 'a%.0s' {1..40000})"
stored_application "$E2E_DIR/before"
start_telmaq
third=$TELMAQ_PID
wait_for_main_window "$third"
send_keys "$MAIN_WINDOW" Escape
wait_for "$E2E_TIMEOUT" "Esc to end the program" has_exited "$third"
stored_application "$E2E_DIR/after"
cmp -s "$E2E_DIR/before" "$E2E_DIR/after" || fail "a long application path was cut to $(wc -c <"$E2E_DIR/after") bytes"
pass "a new copy starts once the first has ended"
