# Files that are not ours where the hive or the phonebook should be: another program's SQLite
# database, a newer version's file, a damaged file, a zero-length file and a folder. telmaq and
# every command of both tools leave each one byte for byte and say why they cannot use it; a
# zero-length file reads as empty.
source "$(dirname "$0")/lib.sh"

# put_in_place KIND PATH MAKE_OURS...: one kind of file at PATH; MAKE_OURS makes a file of
# ours there, for the newer version's file.
put_in_place() {
    local kind=$1 path=$2
    shift 2
    rm -rf "$path" "$path-wal" "$path-shm"
    case $kind in
    foreign) sqlite3 "$path" "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');" ;;
    newer) "$@" >/dev/null && sqlite3 "$path" "PRAGMA user_version=2" ;;
    damaged) head -c 8192 /dev/zero | tr '\0' 'x' >"$path" ;;
    empty) : >"$path" ;;
    folder) mkdir "$path" ;;
    esac
}
fingerprint() { if [ -d "$1" ]; then echo folder; else sha256sum <"$1"; fi; }

# check_unchanged PATH KIND COMMAND...: runs a command over the file; a refusal must say why,
# and the file must keep every byte either way.
check_unchanged() {
    local path=$1 kind=$2
    shift 2
    local before status=0
    before=$(fingerprint "$path")
    "$@" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || status=$?
    [ "$(fingerprint "$path")" = "$before" ] || fail "$kind: '$*' changed the file"
    if [ "$kind" != empty ]; then
        [ "$status" = 1 ] || fail "$kind: '$*' exited $status: $(cat "$E2E_DIR/out" "$E2E_DIR/err")"
        [ -s "$E2E_DIR/err" ] || fail "$kind: '$*' failed without a word"
    fi
}

# check_start PATH KIND: telmaq says why it cannot go on, ends, and leaves the file alone.
check_start() {
    local path=$1 kind=$2 before pid
    before=$(fingerprint "$path")
    : >"$TELMAQ_MESSAGE_LOG"
    start_telmaq
    pid=$TELMAQ_PID
    wait_for "$E2E_TIMEOUT" "$kind: telmaq's message" test -s "$TELMAQ_MESSAGE_LOG"
    wait_for_box "$pid"
    send_keys "$BOX" Return
    wait_for "$E2E_TIMEOUT" "$kind: telmaq to end after its message" has_exited "$pid"
    [ "$(fingerprint "$path")" = "$before" ] || fail "$kind: starting telmaq changed the file"
}

make_phonebook "A"
dialup default "A" >/dev/null
good_phonebook=$E2E_DIR/good-dialup.db
cp "$TELMAQ_DIALUP_DB" "$good_phonebook"

for kind in foreign newer damaged empty folder; do
    put_in_place "$kind" "$TELMAQ_REGISTRY" reg set RemoteAccess Scratch dword 1
    for command in "default" "redial" "provider"; do
        check_unchanged "$TELMAQ_REGISTRY" "$kind" dialup $command
    done
    check_unchanged "$TELMAQ_REGISTRY" "$kind" reg query RemoteAccess
    if [ "$kind" != empty ]; then
        check_unchanged "$TELMAQ_REGISTRY" "$kind" dialup default B
        check_unchanged "$TELMAQ_REGISTRY" "$kind" dialup redial --on
        check_unchanged "$TELMAQ_REGISTRY" "$kind" dialup provider simulator
        check_unchanged "$TELMAQ_REGISTRY" "$kind" reg set RemoteAccess B dword 1
        check_unchanged "$TELMAQ_REGISTRY" "$kind" reg delete RemoteAccess InternetProfile
    fi
    check_start "$TELMAQ_REGISTRY" "$kind"
    pass "a hive that is $kind is left as it is"
done
rm -rf "$TELMAQ_REGISTRY"
dialup default "A" >/dev/null

for kind in foreign newer damaged empty folder; do
    put_in_place "$kind" "$TELMAQ_DIALUP_DB" dialup add Scratch
    for command in "entries" "show A" "connections"; do
        check_unchanged "$TELMAQ_DIALUP_DB" "$kind" dialup $command
    done
    if [ "$kind" != empty ]; then
        for command in "add B" "set A --phone 1" "remove A" "dial A" "hangup A" "hangup --all" "demo"; do
            check_unchanged "$TELMAQ_DIALUP_DB" "$kind" dialup $command
        done
    fi
    check_start "$TELMAQ_DIALUP_DB" "$kind"
    pass "a phonebook that is $kind is left as it is"
done

# A misspelt provider is named in telmaq's message, never replaced by the simulator's lines.
rm -rf "$TELMAQ_DIALUP_DB"
cp "$good_phonebook" "$TELMAQ_DIALUP_DB"
export TELMAQ_DIALUP_PROVIDER=networkmanger
check_start "$TELMAQ_DIALUP_DB" "provider"
message_logged "networkmanger" || fail "the message does not name the provider: $(messages)"
for command in "entries" "dial A" "add B" "provider"; do
    check_unchanged "$TELMAQ_DIALUP_DB" "provider" dialup $command
    grep -q networkmanger "$E2E_DIR/err" || fail "'$command' does not name the provider: $(cat "$E2E_DIR/err")"
done
unset TELMAQ_DIALUP_PROVIDER
pass "an unknown provider is named in the start-up message and by the tool"
