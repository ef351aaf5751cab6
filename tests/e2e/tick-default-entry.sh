# Another program changes the default entry while telmaq runs: telmaq follows a listed entry
# (in the list's own writing, without writing the default entry back) and asks for a restart,
# once, for a name it does not list.
source "$(dirname "$0")/lib.sh"

make_phonebook "Alpha" "Beta" "Gamma"
open_telmaq

# The selection shows in what Enter dials. Ticks come every second; wait a few of them.
for change in "Beta Beta" "gAMMA Gamma"; do
    set -- $change
    dialup default "$1" >/dev/null
    sleep 3
    send_keys "$MAIN_WINDOW" Return
    wait_for connected_to "$2"
    [ "$(dialup default)" = "$1" ] || fail "the default entry was rewritten: $(dialup default)"
    no_messages
    hang_up_all
done

notice="設定が変更されました。telmaq を再起動してください"
dialup default "Nowhere" >/dev/null
wait_for message_logged "$notice"
sleep 4
[ "$(grep -cF -- "$notice" "$TELMAQ_MESSAGE_LOG")" = 1 ] || fail "the notice stacked: $(messages)"
[ "$(dialup default)" = "Nowhere" ] || fail "the default entry was rewritten: $(dialup default)"
still_running
