#!/usr/bin/env bash
# One end-to-end case of telmaq.exe under Wine, in a virtual X server of its own: telmaq
# over the simulated rasapi32.dll (checked by its marker first), driven with xdotool, its
# message boxes read from the message recorder. Usage: wine-e2e.sh BINDIR CASE
set -euo pipefail
bin=$1 case=$2
wine=/usr/lib/wine/wine64
dir=$(mktemp -d "${TMPDIR:-/tmp}/telmaq-wine-e2e-XXXXXX")
trap 'status=$?; [ $status = 0 ] || { echo "--- messages"; cat "$dir/messages.log" 2>/dev/null; } >&2; /usr/lib/wine/wineserver -k 2>/dev/null; rm -rf "$dir"; exit $status' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
winpath() { "$wine" winepath -w "$1" 2>/dev/null; }

export TELMAQ_MESSAGE_LOG=$(winpath "$dir/messages.log") TELMAQ_SIMRAS_PHONEBOOK=$(winpath "$dir/phonebook.txt")
cp "$bin/telmaq.exe" "$bin/rasapi32.dll" "$dir/"
grep -aq TelmaqSimulatedRas "$dir/rasapi32.dll" || fail "rasapi32.dll is not the simulated service"

# The settings of an earlier case are gone.
"$wine" reg delete 'HKCU\Software\wexhal' /f >/dev/null 2>&1 || true
"$wine" reg delete 'HKCU\RemoteAccess' /f >/dev/null 2>&1 || true

wait_for() {
    local deadline=$((SECONDS + 60))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || fail "timed out waiting for: $*"
        sleep 0.2
    done
}
# The recorder writes its lines in text mode: they end in CR LF on Windows.
logged() { tr -d "\r" <"$dir/messages.log" | grep -qxF "$1"; }
keys_written() { "$wine" reg query 'HKCU\Software\wexhal\telmaq' >/dev/null 2>&1; }
# The window titled exactly telmaq that takes the keys.
key_to_telmaq() {
    local window
    window=$(xdotool search --onlyvisible --name '^telmaq$' | tail -1)
    [ -n "$window" ] && xdotool windowfocus --sync "$window" key "$1"
}
# The default entry as the registry holds it (reg's own output is in the console's code page).
profile_is() {
    "$wine" regedit /E "$(winpath "$dir/profile.reg")" 'HKEY_CURRENT_USER\RemoteAccess' &&
        iconv -f UTF-16 -t UTF-8 "$dir/profile.reg" | tr -d '\r' | grep -qxF "\"InternetProfile\"=\"$1\""
}
start() { (cd "$dir" && exec "$wine" telmaq.exe) >"$dir/telmaq.out" 2>&1 & pid=$!; }
ended() { ! kill -0 "$pid" 2>/dev/null; }

case $case in
no-entries | no-default-entry)
    if [ "$case" = no-entries ]; then
        : >"$dir/phonebook.txt"
    else
        printf 'プロバイダ東京\tconnect\tuser\tsecret\t0312345678\t50\n' >"$dir/phonebook.txt"
    fi
    start
    wait_for logged $'telmaq\t48\tダイヤルアップネットワークの設定がありません'
    wait_for key_to_telmaq Return
    wait_for ended
    ! keys_written || fail "a settings key was written"
    ;;
disconnect-without-connection)
    printf 'プロバイダ東京\tconnect\tuser\tsecret\t0312345678\t50\n' >"$dir/phonebook.txt"
    "$wine" reg add 'HKCU\RemoteAccess' /v InternetProfile /t REG_SZ /d 'プロバイダ東京' /f >/dev/null
    start
    wait_for xdotool search --onlyvisible --name '^telmaq$'
    wait_for key_to_telmaq alt+d
    wait_for logged $'telmaq - 警告\t64\t接続されていません'
    wait_for key_to_telmaq Return
    wait_for key_to_telmaq Escape
    wait_for ended
    ;;
system-menu-entry)
    # The sub-menu lists the entries sorted, the Latin name first, the default one marked.
    printf 'プロバイダ東京\tconnect\tuser\tsecret\t0312345678\t50\nBusy Line\tbusy\tuser\tsecret\t0300\t50\n' \
        >"$dir/phonebook.txt"
    "$wine" reg add 'HKCU\RemoteAccess' /v InternetProfile /t REG_SZ /d 'プロバイダ東京' /f >/dev/null
    start
    wait_for xdotool search --onlyvisible --name '^telmaq$'
    wait_for key_to_telmaq alt+space
    sleep 0.5
    xdotool key l
    sleep 0.5
    xdotool key Return
    wait_for profile_is 'Busy Line'
    wait_for key_to_telmaq Escape
    wait_for ended
    ;;
*)
    fail "unknown case $case"
    ;;
esac
echo "ok: $case"
