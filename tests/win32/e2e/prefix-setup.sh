#!/usr/bin/env bash
# Makes the Wine prefix of the end-to-end tests: its own, so the adapters' tests never leave
# keys in it, with the font replacement the dialogs need (without it every Japanese
# character is a box).
set -euo pipefail
rm -rf "$WINEPREFIX"
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
reg=$(mktemp --suffix=.reg)
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"Tahoma"="IPAPGothic"\r\n' |
    iconv -f UTF-8 -t UTF-16 >"$reg"
/usr/lib/wine/wine64 regedit /S "$(/usr/lib/wine/wine64 winepath -w "$reg" 2>/dev/null)"
/usr/lib/wine/wineserver -w
rm -f "$reg"
