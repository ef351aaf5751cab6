#!/usr/bin/env bash
# Makes the Wine prefix $WINEPREFIX for telmaq.exe's windows: the end-to-end tests' own (made
# afresh, so the adapters' tests never leave keys in it) and scripts/run-windows's (with
# --keep: an existing prefix and the settings in it stay, only the fonts are set again).
#
# The fonts are those of a Japanese Windows: the dialogs' "ＭＳ Ｐゴシック" and the "MS UI
# Gothic" of captions, menus and message boxes are IPA's Gothic, so no Japanese character is
# a box (Wine's own Tahoma, the default for those, has no Japanese). Wine draws the caption
# buttons with its own Marlett font (package fonts-wine); without it they read "0 1 r".
set -euo pipefail
wine=/usr/lib/wine/wine64

keep=false
[ "${1:-}" = --keep ] && keep=true
if ! $keep || [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1
fi
[ -f /usr/share/wine/fonts/marlett.ttf ] ||
    echo "prefix-setup: Wine's Marlett font is missing (package fonts-wine): the caption buttons show letters" >&2

# A LOGFONTW of "MS UI Gothic", 9 points, of the weight given as two little-endian hex bytes.
logfont() {
    local face
    face=$(printf 'MS UI Gothic' | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',')
    face=${face#,}
    local padding=$((64 - $(printf 'MS UI Gothic' | wc -c) * 2))
    printf 'f5,ff,ff,ff,00,00,00,00,00,00,00,00,00,00,00,00,%s,00,00,00,00,00,00,00,00,00,22,%s' "$1" "$face"
    printf '00%.0s,' $(seq "$padding") | sed 's/,$//'
}

reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n'
    # Only where Wine has no Tahoma of its own (no fonts-wine): Wine maps a name only while
    # no font of that name exists.
    printf '"Tahoma"="IPAPGothic"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]\r\n'
    printf '"CaptionFont"=hex:%s\r\n' "$(logfont bc,02)"
    for font in SmCaptionFont MenuFont MessageFont StatusFont IconFont; do
        printf '"%s"=hex:%s\r\n' "$font" "$(logfont 90,01)"
    done
} | iconv -f UTF-8 -t UTF-16 >"$reg"
"$wine" regedit /S "$("$wine" winepath -w "$reg" 2>/dev/null)"
/usr/lib/wine/wineserver -w
