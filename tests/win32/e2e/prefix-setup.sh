#!/usr/bin/env bash
# Makes the Wine prefix $WINEPREFIX for telmaq.exe's windows: the end-to-end tests' own (made
# afresh, so the adapters' tests never leave keys in it) and scripts/run-windows's (with
# --keep: an existing prefix and the settings in it stay, only the fonts are set again).
#
# The fonts: the dialogs' "ＭＳ Ｐゴシック" and Wine's "Tahoma" of captions, menus and message
# boxes are IPA's Gothic (without it every Japanese character is a box), and Wine's own
# Marlett (package fonts-wine), with which Wine draws the caption buttons (without it they read
# "0 1 r"), goes into the prefix's Fonts folder: Debian's Wine does not look for its fonts where
# fonts-wine puts them.
set -euo pipefail
wine=/usr/lib/wine/wine64

keep=false
[ "${1:-}" = --keep ] && keep=true
if ! $keep || [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1
fi

marlett=/usr/share/wine/fonts/marlett.ttf
if [ -f "$marlett" ]; then
    cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
else
    echo "prefix-setup: $marlett is missing (package fonts-wine): the caption buttons show letters" >&2
fi

reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"Tahoma"="IPAPGothic"\r\n' |
    iconv -f UTF-8 -t UTF-16 >"$reg"
"$wine" regedit /S "$("$wine" winepath -w "$reg" 2>/dev/null)"
/usr/lib/wine/wineserver -w
