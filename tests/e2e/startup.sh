# Start-up and shutdown of the real program: the checks of dial-up networking, the single
# copy, Esc closing without writing anything (a stored application path that is not UTF-8 or
# is longer than an edit holds by default included), and a fresh start after the first copy
# ended.
source "$(dirname "$0")/lib.sh"

# set_application TEXT: stores the application path as it is; application_kept fails if a run of
# telmaq changed it, or wrote any other setting.
set_application() { reg set "$SETTINGS_KEY" ApplicationFile sz "$1" && reg query "$SETTINGS_KEY" >"$E2E_DIR/before"; }
application_kept() { reg query "$SETTINGS_KEY" | cmp -s "$E2E_DIR/before" - || fail "$1: $(reg query "$SETTINGS_KEY" | od -c | head -3)"; }

for setup in "an empty phonebook" "no default entry"; do
    [ "$setup" = "an empty phonebook" ] || { dialup add "Alpha" && dialup add "Beta"; } >/dev/null
    start_refused
    message_logged "telmaq	48	ダイヤルアップネットワークの設定がありません" || fail "$setup: $(messages)"
    ! reg query 'Software\wexhal' >/dev/null 2>&1 || fail "$setup: a start-up that stopped created Software\\wexhal"
done

# --- a second copy ends at once; the first runs on undisturbed
dialup default "Beta" >/dev/null
# メール in Shift-JIS: a legal file name that is no UTF-8.
set_application $'/opt/\x83\x81\x81\x5b\x83\x8b -q'
rm -f "$TELMAQ_MESSAGE_LOG"
open_telmaq && first=$pid
start_telmaq
wait_for has_exited "$pid"
running_quietly "$first"
[ "$(main_window_of "$first")" = "$MAIN_WINDOW" ] || fail "the first copy's window went away"

# --- Esc closes the window and writes nothing
quit_telmaq "$first"
application_kept "closing without changes wrote the settings"

# --- after the first copy has ended, a new one starts normally
set_application "/opt/$(printf 'a%.0s' {1..40000})"
open_telmaq
quit_telmaq
application_kept "a long application path was cut"
