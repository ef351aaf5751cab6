# Files that are not ours where the hive or the phonebook should be: another program's SQLite
# database, a newer version's file, a damaged file, a zero-length file and a folder. telmaq and
# every command of both tools leave each one byte for byte and say why they cannot use it; a
# zero-length file reads as empty.
source "$(dirname "$0")/lib.sh"

fingerprint() { sha256sum "$1" 2>/dev/null || echo folder; }

# check_commands PATH KIND COMMANDS [NAME]: each line of COMMANDS run over the file, then
# telmaq, which must say why it cannot go on and end. A refusal must say why (naming NAME if
# given), and the file must keep every byte either way. A zero-length file is no refusal to
# the tools.
check_commands() {
    local command before status
    while read -r command; do
        before=$(fingerprint "$1") status=0
        $command >"$E2E_DIR/out" 2>"$E2E_DIR/err" </dev/null || status=$?
        [ "$(fingerprint "$1")" = "$before" ] || fail "$2: '$command' changed the file"
        [ "$2" = empty ] || { [ "$status" = 1 ] && grep -q -- "${4:-.}" "$E2E_DIR/err"; } ||
            fail "$2: '$command' exited $status without a word${4:+ naming $4}: $(cat "$E2E_DIR"/{out,err})"
    done <<<"$3"
    before=$(fingerprint "$1")
    start_refused
    [ "$(fingerprint "$1")" = "$before" ] || fail "$2: starting telmaq changed the file"
}

# check_kinds PATH READS WRITES MAKE_OURS...: every kind of file at PATH, read by the READS
# and, unless it is empty, written to by the WRITES; MAKE_OURS makes the newer version's file.
check_kinds() {
    local path=$1 reads=$2 writes=$3 kind
    shift 3
    for kind in foreign newer damaged empty folder; do
        rm -rf "$path" "$path-wal" "$path-shm"
        case $kind in
        foreign) sqlite3 "$path" "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');" ;;
        newer) "$@" >/dev/null && sqlite3 "$path" "PRAGMA user_version=2" ;;
        damaged) head -c 8192 /dev/zero | tr '\0' 'x' >"$path" ;;
        empty) : >"$path" ;;
        folder) mkdir "$path" ;;
        esac
        check_commands "$path" "$kind" "$reads$([ "$kind" = empty ] || echo $'\n'"$writes")"
    done
}

make_phonebook "A"
cp "$TELMAQ_DIALUP_DB" "$E2E_DIR/good-dialup.db"

check_kinds "$TELMAQ_REGISTRY" $'dialup default\ndialup redial\ndialup provider\nreg query RemoteAccess' \
    $'dialup default B\ndialup redial --on\ndialup provider simulator\nreg set RemoteAccess B dword 1
reg delete RemoteAccess InternetProfile' reg set RemoteAccess Scratch dword 1
rm -rf "$TELMAQ_REGISTRY" && dialup default "A" >/dev/null
check_kinds "$TELMAQ_DIALUP_DB" $'dialup entries\ndialup show A\ndialup connections' \
    $'dialup add B\ndialup set A --phone 1\ndialup remove A\ndialup dial A\ndialup hangup A
dialup hangup --all\ndialup demo' dialup add Scratch

# A misspelt provider is named in telmaq's message and by the tool, never replaced by the
# simulator's lines.
rm -rf "$TELMAQ_DIALUP_DB" && cp "$E2E_DIR/good-dialup.db" "$TELMAQ_DIALUP_DB"
export TELMAQ_DIALUP_PROVIDER=networkmanger
check_commands "$TELMAQ_DIALUP_DB" "provider" $'dialup entries\ndialup dial A\ndialup add B\ndialup provider' networkmanger
message_logged "networkmanger" || fail "the message does not name the provider: $(messages)"

# A hive cut short inside a page, as a full disk or a broken-off copy leaves it, still reads as
# if values were missing: the tools and telmaq name it as damaged instead, and leave it as it is.
unset TELMAQ_DIALUP_PROVIDER
rm -rf "$TELMAQ_REGISTRY" "$TELMAQ_REGISTRY-wal" "$TELMAQ_REGISTRY-shm" && dialup default "A" >/dev/null
for i in $(seq 60); do reg set 'Software\wexhal\telmaq\Settings' "Value$i" sz "$(printf 'v%.0s' {1..200})"; done
page=$(od -An -tu1 -j16 -N2 "$TELMAQ_REGISTRY" | awk '{ print $1 * 256 + $2 }')
truncate -s $(($(stat -c %s "$TELMAQ_REGISTRY") - page + 2268)) "$TELMAQ_REGISTRY"
check_commands "$TELMAQ_REGISTRY" cut $'dialup default\ndialup redial\ndialup provider\nreg query RemoteAccess
dialup default B\ndialup redial --on\ndialup provider simulator\nreg set RemoteAccess B dword 1' \
    "$TELMAQ_REGISTRY is damaged"
message_logged "設定ファイル「$TELMAQ_REGISTRY」が壊れています" || fail "the damaged hive is not named: $(messages)"
