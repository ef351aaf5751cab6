# The windows under a real window manager (run-e2e --wm), which takes Alt+Space for its own
# menu and really minimises: the minimised start, telmaq's menu from the keyboard, and what
# each window's title bar offers.
source "$(dirname "$0")/lib.sh"
[ -n "${TELMAQ_E2E_WM:-}" ] || fail "needs a window manager: run-e2e --wm"

# The state the window manager gave a window (Normal, Iconic), empty while it has none.
wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/^[[:space:]]*window state: //p'; }
# The main window of pid, whether or not it is minimised: its top-level window that the window
# manager has taken over.
managed_main_window() {
    local w
    for w in $(xdotool search --all --pid "$pid" --name '^telmaq$' 2>/dev/null); do
        [ -n "$(wm_state "$w")" ] && echo "$w" && return
    done
    return 1
}
# The one window of pid named TITLE, once it shows.
dialog_named() { wait_for windows_of "$pid" "$1" && windows_of "$pid" "$1"; }
is_iconic() { [ "$(wm_state "$1")" = Iconic ]; }
not_viewable() { xwininfo -id "$1" | grep -q 'Map State: IsUnMapped'; }

# Slow keeps its connecting dialog up for a minute.
make_phonebook Other
dialup add Slow --phone 0123 --user user --password secret --step-ms 60000 >/dev/null
dialup default Slow >/dev/null

# --- Iconic = 1: minimised within 2 s of being taken over, and stays so, with the program's
# icon for the window manager to show meanwhile
set_setting Iconic 1
start_telmaq
wait_for managed_main_window
window=$(managed_main_window)
E2E_TIMEOUT=2 wait_for is_iconic "$window"
sleep 1
is_iconic "$window" && not_viewable "$window" || fail "the minimised start came back: $(wm_state "$window")"
# Read whole first: grep -q stops at the first icon, and xprop, cut off while it still draws
# the rest, would fail the pipeline.
icon=$(xprop -id "$window" _NET_WM_ICON)
grep -q 'Icon ([0-9]* x [0-9]*)' <<<"$icon" || fail "no icon while minimised"
xdotool windowactivate "$window"
wait_for windows_of "$pid" telmaq
MAIN_WINDOW=$window
quit_telmaq
set_setting Iconic 0

# --- telmaq's menu from the keyboard, where the window manager keeps Alt+Space: Shift+F10
# and the Menu key. Its 切断(&F) with no line up says so in a message box.
open_telmaq
for keys in shift+F10 Menu; do
    : >"$TELMAQ_MESSAGE_LOG"
    send_keys "$MAIN_WINDOW" "$keys"
    sleep 0.5
    xdotool key f
    wait_for message_logged "接続されていません"
    send_keys "$(dialog_named 'telmaq - 警告')" Return
    wait_for one_window_of "$pid"
done
: >"$TELMAQ_MESSAGE_LOG"

# --- what each window offers: the main window moves, minimises and closes; the connecting,
# time and About dialogs move and close. None is resized or maximised: their size is fixed.
# The hints say exactly that; the window manager derives its actions from them and from the
# fixed size (openbox keeps minimising every window it decorates, so only the main window's
# is checked).
offers() {
    local window=$1 hints=$2 minimise=${3:-} actions
    xprop -id "$window" _MOTIF_WM_HINTS | grep -qx "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = $hints" ||
        fail "$(xdotool getwindowname "$window"): $(xprop -id "$window" _MOTIF_WM_HINTS)"
    actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)
    ! grep -qE 'MAXIMIZE|RESIZE' <<<"$actions" || fail "$(xdotool getwindowname "$window"): $actions"
    [ -z "$minimise" ] || grep -q _NET_WM_ACTION_MINIMIZE <<<"$actions" || fail "no minimise: $actions"
}

# Each dialog as it opens: offers what it should, then Esc closes it.
dialog_offers() {
    local window
    window=$(dialog_named "$1")
    offers "$window" "0x3, 0x24, 0x1a, 0x0, 0x0"
    send_keys "$window" Escape
    wait_for one_window_of "$pid"
}
offers "$MAIN_WINDOW" "0x3, 0x2c, 0x3a, 0x0, 0x0" minimise
send_keys "$MAIN_WINDOW" Return
dialog_offers '.* に接続中'
# 自動接続(&S) enables 設定(&T) once its mnemonic has clicked it.
send_keys "$MAIN_WINDOW" alt+s
sleep 0.5
send_keys "$MAIN_WINDOW" alt+t
dialog_offers 自動接続時刻の設定
send_keys "$MAIN_WINDOW" shift+F10
sleep 0.5
xdotool key a
dialog_offers ﾊﾞｰｼﾞｮﾝ情報
no_connections || fail "the cancelled dial left a line: $(dialup connections)"
running_quietly
quit_telmaq
