# Start-up and shutdown of the real program: the checks of dial-up networking, the single
# copy, Esc closing without writing anything (a stored application path that is not UTF-8 or
# is longer than an edit holds by default included), and a fresh start after the first copy
# ended.
source "$(dirname "$0")/lib.sh"

no_settings_written() {
    ! reg query "$SETTINGS_KEY" 2>/dev/null | grep -v '^ApplicationFile ' |
        grep -qiE 'Auto|Check|Connection|Disconnection|Application|Iconic|Window'
}
stored_application() { reg query "$SETTINGS_KEY" ApplicationFile >"$E2E_DIR/$1"; }
application_kept() {
    stored_application after
    cmp -s "$E2E_DIR/before" "$E2E_DIR/after" || fail "$1: $(od -c "$E2E_DIR/after" | head -3) ($(wc -c <"$E2E_DIR/after") bytes)"
}

for setup in "an empty phonebook" "no default entry"; do
    if [ "$setup" = "no default entry" ]; then
        make_phonebook "Alpha" "Beta"
        ! dialup default >/dev/null 2>&1 || fail "the phonebook came with a default entry"
    fi
    start_refused
    message_logged "telmaq	48	ダイヤルアップネットワークの設定がありません" || fail "$setup: $(messages)"
    ! reg query 'Software\wexhal' >/dev/null 2>&1 || fail "$setup: a start-up that stopped created Software\\wexhal"
    pass "$setup gives the message and no main window"
done

# --- a second copy ends at once; the first runs on undisturbed
dialup default "Beta" >/dev/null
# メール in Shift-JIS: a legal file name that is no UTF-8.
reg set "$SETTINGS_KEY" ApplicationFile sz $'/opt/\x83\x81\x81\x5b\x83\x8b -q'
stored_application before
rm -f "$TELMAQ_MESSAGE_LOG"
start_telmaq
first=$pid
wait_for_main_window
start_telmaq
wait_for has_exited "$pid"
still_running "$first"
no_messages
[ -z "$(windows_of "$pid" telmaq)" ] || fail "the second copy showed a window"
[ "$(main_window_of "$first")" = "$MAIN_WINDOW" ] || fail "the first copy's window went away"
pass "a second copy ends at once while the first keeps running"

# --- Esc closes the window and writes nothing
quit_telmaq "$first"
no_settings_written || fail "closing without changes wrote: $(reg query "$SETTINGS_KEY")"
application_kept "the application path was rewritten"
pass "Esc closes and writes nothing"

# --- after the first copy has ended, a new one starts normally
reg set "$SETTINGS_KEY" ApplicationFile sz "/opt/$(printf 'a%.0s' {1..40000})"
stored_application before
start_telmaq
wait_for_main_window
quit_telmaq
application_kept "a long application path was cut"
pass "a new copy starts once the first has ended"
