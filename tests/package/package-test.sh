#!/usr/bin/env bash
# Builds the Debian package of the build folder $1 and checks it as Debian and a user would:
# lintian without errors or warnings, valid desktop entry and AppStream metadata, programs
# that run from an unpacked copy, manual pages that render and name every command, option
# and variable that the programs' --help names.
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Failures are written down in a file, so that those found in a subshell count too.
fail() { echo "FAIL: $*" >&2; echo "$*" >>"$scratch/failures"; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 &&
    deb=$(echo "$scratch"/out/*.deb) && [ -f "$deb" ] || { cat "$scratch/cpack.log" >&2; exit 1; }

# --fail-on makes warnings count as well as errors; overrides shipped in the package apply.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" || fail "lintian"
root=$scratch/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/telmaq.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >&2 || fail "AppStream metadata"
[ -f "$root/usr/share/telmaq/telmaq.HLP" ] || fail "help file not in /usr/share/telmaq"

# The tools run from the unpacked copy, on files of their own.
export TELMAQ_REGISTRY=$scratch/home/registry.db TELMAQ_DIALUP_DB=$scratch/home/dialup.db HOME=$scratch/home
unset TELMAQ_DIALUP_PROVIDER
help_of() { "$root/usr/bin/$1" "${@:2}" --help || fail "$* --help"; }

# Each page renders without a groff warning, and names what the tool's --help names.
for tool in telmaq telmaq-dialup telmaq-reg; do
    page=$root/usr/share/man/man1/$tool.1.gz
    [ -f "$page" ] || { fail "no manual page for $tool"; continue; }
    MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null | grep . >&2 && fail "$tool(1) renders with warnings"
    # No line breaks inside words: every name can be looked for whole.
    text=$(MANWIDTH=1000 man -l "$page" 2>/dev/null | col -b)
    helps=$([ "$tool" = telmaq ] || help_of "$tool")
    [ "$tool" != telmaq-dialup ] ||
        for command in $(sed -n 's/^  \([a-z]\+\) .*/\1/p' <<<"$helps"); do helps+=$'\n'$(help_of "$tool" "$command"); done
    [ "$tool" = telmaq ] || [ -n "$helps" ] || fail "$tool --help printed nothing"
    for word in $(grep -o -E -- '--[a-z][a-z-]*|\b(TELMAQ|XDG)_[A-Z_]+|^  [a-z]+ ' <<<"$helps" | sort -u); do
        grep -q -F -- "$word" <<<"$text" || fail "$tool(1) does not mention '$word' from --help"
    done
done

[ ! -s "$scratch/failures" ]
