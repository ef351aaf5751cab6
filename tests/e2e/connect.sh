# Connecting and disconnecting by hand in the real program, against the line simulator.
source "$(dirname "$0")/lib.sh"

make_phonebook "Beta" "Alpha"
open_telmaq

# Enter presses the default button, "接続(&C)", which dials the selected (default) entry.
send_keys "$MAIN_WINDOW" Return
wait_for connected_to "Beta"

# The connecting dialog closes once connected; then "切断(&D)" hangs up.
wait_for one_window_of "$pid"
sleep 0.5
send_keys "$MAIN_WINDOW" alt+d
wait_for no_connections
running_quietly

# The program's own history, as the user reads it: the dial, the connect and the hang-up with
# its duration, each started by the button.
events=$(dialup history --json |
    sed -E 's/.*"cause":"([^"]*)","event":"([^"]*)".*"duration":([^}]*)}/\1 \2 \3/; $s/ [0-9]+$/ N/')
[ "$events" = $'button dial-started null\nbutton connected null\nbutton hung-up N' ] || fail "history: $events"
quit_telmaq
