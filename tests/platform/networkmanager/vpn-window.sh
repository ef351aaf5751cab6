# The window on a real VPN, as a user has it: telmaq with NetworkManager's "Office" VPN (see
# nm-vpn-netns) as its default entry, an application to start once connected and to hang up
# after. Connect brings the VPN up and starts the application; once that ends, the next tick
# hangs the VPN up. Run by nm-vpn-netns through run-e2e.
source "$(dirname "$0")/../../e2e/lib.sh"
export TELMAQ_DIALUP_PROVIDER=networkmanager

tunnel_up() { ip -br addr show tun0 2>/dev/null | grep -q 10.8.0.2/; }
tunnel_gone() { ! ip link show tun0 >/dev/null 2>&1; }
# The application telmaq started: running, then ended (a zombie until telmaq reaps it, or gone).
application() { pgrep -P "$pid" -x sleep | head -n 1 | grep .; }
application_ended() { [ ! -e "/proc/$1" ] || [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" = Z ]; }
now() { date +%s.%N; }

dialup default Office >/dev/null
set_setting AutoApplication 1 ApplicationDisconnection 1
reg set "$SETTINGS_KEY" ApplicationFile sz "sleep 3" >/dev/null
open_telmaq
send_keys "$MAIN_WINDOW" Return
wait_for tunnel_up
wait_for application
app=$(application)
[ "$(dialup connections | cut -f1,2)" = "Office	tun0" ] || fail "connections: $(dialup connections)"
running_quietly

wait_for application_ended "$app"
ended=$(now)
wait_for tunnel_gone
gone=$(now)
# The tick that notices the application's end comes within a second; the hang-up follows.
allowed=${TELMAQ_VPN_HANGUP_SECONDS:-1.5}
awk -v e="$ended" -v g="$gone" -v a="$allowed" 'BEGIN { exit !(g - e <= a) }' ||
    fail "the VPN went $(awk -v e="$ended" -v g="$gone" 'BEGIN { print g - e }') s after the application ended"
wait_for no_connections
running_quietly
[ "$(nmcli -g GENERAL.STATE connection show Base)" = activated ] || fail "the network under the VPN went too"
quit_telmaq
echo "the VPN went $(awk -v e="$ended" -v g="$gone" 'BEGIN { print g - e }') s after the application ended"
