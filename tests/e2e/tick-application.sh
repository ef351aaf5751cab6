# With both application options set, the application starts once connected and the line is
# hung up when it ends.
source "$(dirname "$0")/lib.sh"

make_phonebook "Alpha"
ended=$E2E_DIR/application-ended
set_setting AutoApplication 1 ApplicationDisconnection 1
reg set "$SETTINGS_KEY" ApplicationFile sz "sh -c 'sleep 2; date +%s.%N > $ended'" >/dev/null

open_telmaq
send_keys "$MAIN_WINDOW" Return
wait_for connected_to "Alpha"
wait_for test -s "$ended"
wait_for no_connections
# The figure is reported, not judged: a loaded machine may take longer.
echo "hung up $(awk -v a="$(cat "$ended")" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }') s after the application ended (tick every 1 s)"
running_quietly
quit_telmaq
