#!/usr/bin/env bash
# The installer and the zip of scripts/build-windows --package: the zip holds telmaq.exe and its
# help; the installer, run silently (/S) in the end-to-end tests' prefix, puts the same files
# in Program Files with a Start-menu entry and an uninstaller, and the uninstaller takes all
# of it away again but leaves the user's settings. Usage: installer-test.sh SETUP ZIP
set -euo pipefail
setup=$1 zip=$2
wine=/usr/lib/wine/wine64
fail() { echo "FAIL: $*" >&2; exit 1; }
if [ ! -f "$setup" ] || [ ! -f "$zip" ]; then
    echo "skipped: no installer; make it with scripts/build-windows --package"
    exit 77
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/telmaq-installer-XXXXXX")
trap '/usr/lib/wine/wineserver -k 2>/dev/null; rm -rf "$dir"' EXIT
installed="$WINEPREFIX/drive_c/Program Files/telmaq"
link="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/telmaq.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\telmaq'
settings='HKCU\Software\wexhal\telmaq\Settings'

[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "telmaq/ telmaq/telmaq.HLP telmaq/telmaq.exe " ] ||
    fail "the zip holds $(unzip -Z1 "$zip" | tr '\n' ' ')"
unzip -q "$zip" -d "$dir"

"$wine" reg delete 'HKCU\Software\wexhal' /f >/dev/null 2>&1 || true
"$wine" reg add "$settings" /v StartMinimized /t REG_DWORD /d 1 /f >/dev/null
cp "$setup" "$dir/telmaq-setup.exe"
(cd "$dir" && "$wine" telmaq-setup.exe /S)
/usr/lib/wine/wineserver -w
for file in telmaq.exe telmaq.HLP; do
    cmp -s "$installed/$file" "$dir/telmaq/$file" || fail "$file is not installed as the zip holds it"
done
[ -f "$installed/uninstall.exe" ] || fail "no uninstaller"
# The shell link's target, as its link information holds it.
strings -a "$link" | grep -qxF 'C:\Program Files\telmaq\telmaq.exe' ||
    fail "no Start-menu entry for C:\\Program Files\\telmaq\\telmaq.exe"
"$wine" reg query "$uninstall_key" /v QuietUninstallString >/dev/null || fail "not listed among the installed programs"

"$wine" "C:\\Program Files\\telmaq\\uninstall.exe" /S
/usr/lib/wine/wineserver -w
[ ! -e "$installed" ] || fail "left behind: $(ls "$installed")"
[ ! -e "$link" ] || fail "the Start-menu entry is left behind"
! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "still listed among the installed programs"
"$wine" reg query "$settings" /v StartMinimized 2>/dev/null | tr -d '\r' | grep -q 'REG_DWORD *0x1$' ||
    fail "the uninstaller took the user's settings"
"$wine" reg delete 'HKCU\Software\wexhal' /f >/dev/null
echo "ok: installed, listed and uninstalled; the settings stay"
