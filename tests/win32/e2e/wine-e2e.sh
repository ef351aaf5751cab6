#!/usr/bin/env bash
# One end-to-end case of telmaq.exe under Wine, in a virtual X server of its own (run-e2e):
# telmaq over the simulated rasapi32.dll (checked by its marker first), driven with xdotool,
# its message boxes read from the message recorder, the connections seen through the test
# peer. Usage: wine-e2e.sh BINDIR CASE
#
# Every start of a Wine program costs a second or more on a busy machine, so the registry is
# set up in one import and read in one export, and paths are converted here rather than by
# winepath: the prefix maps drive Z: to /.
set -Eeuo pipefail
bin=$1 case=$2
wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver
# The prefix's server of an earlier case may still be on its way out after being told to go,
# and takes the programs that reach it with it: it must be gone first.
end_wineserver() { "$wineserver" -k 2>/dev/null || true; "$wineserver" -w; }
end_wineserver
# One server for the whole case: left to itself it goes a few seconds after the last program,
# and a program that starts just then can be lost with it.
"$wineserver" -p
dir=$(mktemp -d "${TMPDIR:-/tmp}/telmaq-wine-e2e-XXXXXX")
dir=$(cd "$dir" && pwd -P)
# On failure, what the program said and showed, and what of Wine was running; a file that is
# missing must not end the report early.
trap 'status=$?; set +eE; trap - ERR; [ $status = 0 ] || { echo "--- messages"; cat "$dir/messages.log"; echo "--- telmaq output"; cat "$dir"/telmaq*.out; echo "--- processes"; ps -eo pid,etime,stat,args | grep -i "[w]ine\|[.]exe"; } >&2 2>/dev/null; end_wineserver; rm -rf "$dir"; exit $status' EXIT
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR
fail() { echo "FAIL: $*" >&2; exit 1; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
now() { date +%s.%N; }
seconds_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

export TELMAQ_MESSAGE_LOG=$(winpath "$dir/messages.log") TELMAQ_SIMRAS_PHONEBOOK=$(winpath "$dir/phonebook.txt")
cp "$bin/telmaq.exe" "$bin/rasapi32.dll" "$bin/telmaq_win32_peer.exe" "$bin/telmaq_win32_window_peer.exe" "$dir/"
grep -aq TelmaqSimulatedRas "$dir/rasapi32.dll" || fail "rasapi32.dll is not the simulated service"

SETTINGS='HKEY_CURRENT_USER\Software\wexhal\telmaq\Settings'
DIALUP='HKEY_CURRENT_USER\RemoteAccess'

# registry LINE...: one import of these lines of a .reg file, after the settings of an earlier
# case are gone.
registry() {
    { printf 'Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_CURRENT_USER\\Software\\wexhal]\r\n'
      printf '[-%s]\r\n' "$DIALUP"; printf '%s\r\n' "$@"; } | iconv -f UTF-8 -t UTF-16 >"$dir/import.reg"
    "$wine" regedit /S "$(winpath "$dir/import.reg")"
}
dword() { printf '"%s"=dword:%08x' "$1" "$2"; }
# exported KEY: the key with its values as regedit writes them, in UTF-8, without the header.
exported() {
    rm -f "$dir/export.reg"
    "$wine" regedit /E "$(winpath "$dir/export.reg")" "$1" 2>/dev/null
    [ -s "$dir/export.reg" ] && iconv -f UTF-16 -t UTF-8 "$dir/export.reg" | tr -d '\r' | sed -n '/^\[/,$p' | grep .
}
logged() { grep -qxF "$1" "$dir/messages.log"; }
no_messages() { [ ! -s "$dir/messages.log" ] || fail "unexpected messages: $(cat "$dir/messages.log")"; }
keys_written() { "$wine" reg query 'HKCU\Software\wexhal\telmaq' >/dev/null 2>&1; }

# The visible windows titled exactly TITLE (a pattern), one a line; fails when there are none.
windows_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep .; }
# key_to TITLE KEY...: focuses the (last) window titled TITLE and types the keys, once the
# focus has settled.
key_to() {
    local window
    window=$(windows_named "$1" | tail -1) && xdotool windowfocus --sync "$window" && sleep 0.2 &&
        xdotool key "${@:2}"
}
key_to_telmaq() { key_to telmaq "$@"; }
main_window() { windows_named telmaq | tail -1; }
# Start-up ends by lining the timer up with the second; keys before that may find no focus.
shown_or_ended() { main_window || ended "$pid"; }
wait_for_main_window() {
    wait_for shown_or_ended
    main_window >/dev/null || fail "telmaq.exe ended before its window showed"
    sleep 0.5
}
connecting_dialog_up() { windows_named '.* に接続中'; }
warning_box() { windows_named 'telmaq - 警告'; }
time_dialog() { windows_named 自動接続時刻の設定; }

profile_is() { exported "$DIALUP" | grep -qxF "$(default_entry "$1")"; }
# The message box of the program, a window titled telmaq beside its main window $main.
message_box() { windows_named telmaq | grep -vx "$main" | tail -1 | grep .; }
no() { ! "$@"; }
# open_time_dialog: 設定(&T) opens the time dialog for the connect time; its hours edit has
# the focus with its text selected, so what is typed replaces it.
open_time_dialog() {
    press_until time_dialog alt+t
    sleep 0.3
}
# move_window DX DY: moves the main window as a window manager does when its title bar is
# dragged. (The system menu's Move with the arrow keys works too, but Wine's move loop warps
# the pointer at every key, and on a busy machine a late pointer event moves the window back.)
place_of() { xdotool getwindowgeometry "$1" | sed -n 's/^ *Position: \([0-9]*\),\([0-9]*\) .*/\1 \2/p'; }
move_window() {
    local window x y
    window=$(main_window)
    read -r x y < <(place_of "$window")
    xdotool windowmove --sync "$window" $((x + $1)) $((y + $2))
    wait_for test "$(place_of "$window")" = "$((x + $1)) $((y + $2))"
    sleep 0.3
}

start() { (cd "$dir" && exec "$wine" telmaq.exe) >"$dir/telmaq-$SECONDS.out" 2>&1 & pid=$!; }
ended() { ! kill -0 "$1" 2>/dev/null; }
# press_until CHECK KEY...: types the keys on the main window until CHECK (a command, its words
# split) holds, for a key that arrives before the window is ready; KEY must be harmless once
# it has worked.
press_until() {
    local check=$1 try
    for try in 1 2 3 4 5; do
        key_to_telmaq "${@:2}" || true
        poll 6 $check && return
    done
    fail "nothing came of ${*:2}"
}
quit() { press_until "ended $pid" Escape; }

# The test peer, a Windows program of ours beside telmaq (tests/win32/Win32Peer.cpp).
peer() { (cd "$dir" && "$wine" telmaq_win32_peer.exe "$@"); }
connected_to() { peer connections "$(winpath "$dir/connections")" && [ "$(cat "$dir/connections")" = "$1" ]; }
dials_of() { peer dials "$1" "$(winpath "$dir/dials")" && cat "$dir/dials"; }

# poll SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds; fails after SECONDS.
poll() {
    local deadline=$((SECONDS + $1))
    until "${@:2}" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}
wait_for() { poll "${WAIT_SECONDS:-60}" "$@" || fail "timed out waiting for: $*"; }

phonebook_line() { printf '%s\t%s\tuser\tsecret\t0312345678\t%s\n' "$1" "$2" "${3:-50}"; }
default_entry() { printf '"InternetProfile"="%s"' "$1"; }

case $case in
no-entries | no-default-entry)
    if [ "$case" = no-entries ]; then
        : >"$dir/phonebook.txt"
    else
        phonebook_line 'プロバイダ東京' connect >"$dir/phonebook.txt"
    fi
    registry
    start
    wait_for logged $'telmaq\t48\tダイヤルアップネットワークの設定がありません'
    wait_for key_to_telmaq Return
    wait_for ended "$pid"
    ! keys_written || fail "a settings key was written"
    ;;
second-copy)
    # A second copy ends at once and shows nothing; the first runs on with its one window.
    phonebook_line 'プロバイダ東京' connect >"$dir/phonebook.txt"
    registry "[$DIALUP]" "$(default_entry 'プロバイダ東京')"
    start
    wait_for_main_window
    first=$pid window=$(main_window)
    start
    wait_for ended "$pid"
    ! ended "$first" || fail "the first copy ended"
    [ "$(windows_named telmaq)" = "$window" ] || fail "windows named telmaq: $(windows_named telmaq | tr '\n' ' ')"
    no_messages
    pid=$first
    quit
    ;;
disconnect-without-connection)
    phonebook_line 'プロバイダ東京' connect >"$dir/phonebook.txt"
    registry "[$DIALUP]" "$(default_entry 'プロバイダ東京')"
    start
    wait_for_main_window
    press_until warning_box alt+d
    wait_for logged $'telmaq - 警告\t64\t接続されていません'
    key_to 'telmaq - 警告' Return
    wait_for no warning_box
    quit
    ;;
busy-redial)
    # Enter dials the default entry; its line stays busy through two redials a second apart,
    # then the user is told.
    phonebook_line 'Busy Line' busy >"$dir/phonebook.txt"
    registry "[$DIALUP]" "$(default_entry 'Busy Line')" "$(dword EnableRedial 1)" "$(dword RedialTry 2)" \
        "$(dword RedialWait 1)"
    start
    wait_for_main_window
    press_until connecting_dialog_up Return
    wait_for logged $'telmaq - 警告\t64\t話中です'
    [ "$(dials_of 'Busy Line')" = 3 ] || fail "dialled $(cat "$dir/dials") times, not once and twice again"
    [ "$(grep -c . "$dir/messages.log")" = 1 ] || fail "more than one message"
    key_to 'telmaq - 警告' Return
    wait_for no warning_box
    quit
    ;;
time-range)
    # 24 hours is refused with the range of the hours; the dialog stays open with the hours
    # edit focused, so what is typed next replaces the 24, and OK then takes it.
    phonebook_line 'プロバイダ東京' connect >"$dir/phonebook.txt"
    registry "[$DIALUP]" "$(default_entry 'プロバイダ東京')" "[$SETTINGS]" "$(dword AutoConnection 1)"
    start
    wait_for_main_window
    main=$(main_window)
    open_time_dialog
    key_to 自動接続時刻の設定 2 4 Return
    wait_for logged $'telmaq\t48\t0 から 23 までの整数を入力してください。'
    wait_for message_box
    xdotool windowfocus --sync "$(message_box)" && sleep 0.2 && xdotool key Return
    wait_for no message_box
    windows_named 自動接続時刻の設定 >/dev/null || fail "the time dialog closed"
    key_to 自動接続時刻の設定 7 Return
    wait_for no time_dialog
    quit
    exported "$SETTINGS" >"$dir/settings"
    grep -qx '"ConnectionHour"=dword:00000007' "$dir/settings" || fail "settings: $(cat "$dir/settings")"
    ! grep -q '"ConnectionMinute"' "$dir/settings" || fail "settings: $(cat "$dir/settings")"
    [ "$(grep -c . "$dir/messages.log")" = 1 ] || fail "more than one message"
    ;;
time-escape)
    # Esc closes the time dialog without taking anything, whether nothing was changed or the
    # hours were typed over; the program then has nothing to write.
    phonebook_line 'プロバイダ東京' connect >"$dir/phonebook.txt"
    registry "[$DIALUP]" "$(default_entry 'プロバイダ東京')" "[$SETTINGS]" "$(dword AutoConnection 1)" \
        "$(dword ConnectionHour 7)" "$(dword ConnectionMinute 5)" "$(dword WindowLeft 16)" "$(dword WindowTop 8)"
    exported "$SETTINGS" >"$dir/before"
    start
    wait_for_main_window
    for keys in "" "9"; do
        open_time_dialog
        key_to 自動接続時刻の設定 $keys Escape
        wait_for no time_dialog
    done
    quit
    exported "$SETTINGS" | cmp -s "$dir/before" - || fail "settings were written: $(exported "$SETTINGS")"
    no_messages
    ;;
moved-window)
    # Moved sideways only: the new place is written on exit, the top as well.
    phonebook_line 'プロバイダ東京' connect >"$dir/phonebook.txt"
    registry "[$DIALUP]" "$(default_entry 'プロバイダ東京')" "[$SETTINGS]" "$(dword WindowLeft 16)" "$(dword WindowTop 8)"
    start
    wait_for_main_window
    move_window 40 0
    quit
    exported "$SETTINGS" >"$dir/settings"
    [ "$(grep -c . "$dir/settings")" = 3 ] &&
        grep -qx '"WindowLeft"=dword:00000038' "$dir/settings" &&
        grep -qx '"WindowTop"=dword:00000008' "$dir/settings" || fail "settings: $(cat "$dir/settings")"
    ;;
end-session)
    # The session ends with the window moved and 起動時にアイコン化 checked: both are saved
    # while the program answers the end of the session; Wine then ends it, as Windows does,
    # with no close of its own to save anything.
    phonebook_line 'プロバイダ東京' connect >"$dir/phonebook.txt"
    registry "[$DIALUP]" "$(default_entry 'プロバイダ東京')"
    start
    wait_for_main_window
    move_window 24 16
    key_to_telmaq alt+i
    sleep 0.5
    "$wine" wineboot --end-session
    wait_for ended "$pid"
    exported "$SETTINGS" >"$dir/settings"
    [ "$(grep -c . "$dir/settings")" = 4 ] &&
        grep -qx '"Iconic"=dword:00000001' "$dir/settings" &&
        grep -qx '"WindowLeft"=dword:00000018' "$dir/settings" &&
        grep -qx '"WindowTop"=dword:00000010' "$dir/settings" || fail "settings: $(cat "$dir/settings")"
    no_messages
    ;;
system-menu-entry)
    # The sub-menu lists the entries sorted, the Latin name first, the default one marked.
    { phonebook_line 'プロバイダ東京' connect; phonebook_line 'Busy Line' busy; } >"$dir/phonebook.txt"
    registry "[$DIALUP]" "$(default_entry 'プロバイダ東京')"
    start
    wait_for_main_window
    key_to_telmaq alt+space
    sleep 0.5
    xdotool key l
    sleep 0.5
    xdotool key Return
    wait_for profile_is 'Busy Line'
    quit
    ;;
scheduled-connect)
    # Automatic connection every day a few seconds ahead: the entry is dialled in that second,
    # not before, with nothing shown but the connecting dialog.
    phonebook_line 'プロバイダ東京' connect 300 >"$dir/phonebook.txt"
    schedule=("[$DIALUP]" "$(default_entry 'プロバイダ東京')" "[$SETTINGS]" "$(dword AutoConnection 1)")
    for day in Sun Mon Tue Wed Thu Fri Sat; do schedule+=("$(dword "Check$day" 1)"); done
    lead=6
    until
        target=$(($(date +%s) + lead))
        set -- $(date -d "@$target" '+%-H %-M %-S')
        registry "${schedule[@]}" "$(dword ConnectionHour "$1")" "$(dword ConnectionMinute "$2")" \
            "$(dword ConnectionSecond "$3")"
        start
        wait_for_main_window
        [ "$(date +%s)" -lt "$target" ]
    do
        # Up too late on a slow machine: another try with more room.
        kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
        lead=$((lead * 2))
        [ "$lead" -le 48 ] || fail "telmaq was never up in time for the connect time"
    done
    WAIT_SECONDS=$((lead + 30)) wait_for connecting_dialog_up
    seen=$(now)
    [ "${seen%.*}" -ge "$target" ] || fail "dialled at $seen, before the connect time $target"
    echo "the connecting dialog showed $(seconds_between "$target" "$seen") s into the connect second"
    wait_for connected_to 'プロバイダ東京'
    no_messages
    quit
    ;;
application-hangup)
    # Connected by Enter, the application (the test peer, sleeping 2 s) starts; the line is
    # hung up by the tick after it has ended.
    phonebook_line 'プロバイダ東京' connect 300 >"$dir/phonebook.txt"
    application="$(winpath "$dir/telmaq_win32_window_peer.exe") sleep 2000 $(winpath "$dir/application-ended")"
    registry "[$DIALUP]" "$(default_entry 'プロバイダ東京')" "[$SETTINGS]" "$(dword AutoApplication 1)" \
        "$(dword ApplicationDisconnection 1)" "\"ApplicationFile\"=\"${application//\\/\\\\}\""
    start
    wait_for_main_window
    press_until connecting_dialog_up Return
    wait_for connected_to 'プロバイダ東京'
    peer await-hangup 60000 "$(winpath "$dir/hung-up")" & watcher=$!
    wait_for ended "$watcher"
    wait "$watcher" || fail "the line was not hung up"
    [ -s "$dir/application-ended" ] || fail "hung up while the application ran"
    delay=$(($(cat "$dir/hung-up") - $(cat "$dir/application-ended")))
    [ "$delay" -ge 0 ] || fail "hung up ${delay#-} ms before the application ended"
    echo "hung up $(awk -v d="$delay" 'BEGIN { printf "%.2f", d / 1000 }') s after the application ended (tick every 1 s)"
    no_messages
    quit
    ;;
*)
    fail "unknown case $case"
    ;;
esac
echo "ok: $case"
