# The clock starts and ends connections by itself: a scheduled connect a few seconds ahead
# dials the selected entry; a scheduled disconnect hangs up a connection that another program
# (telmaq-dialup) made.
source "$(dirname "$0")/lib.sh"

make_phonebook "Beta" "Alpha"
# Every weekday checked, automatic connection on (the scheduled disconnect needs it too).
set_setting CheckSun 1 CheckMon 1 CheckTue 1 CheckWed 1 CheckThu 1 CheckFri 1 CheckSat 1 AutoConnection 1 AutoDisconnection 0

# set_time_setting PREFIX EPOCH: stores the local time of EPOCH as PREFIXHour/Minute/Second.
set_time_setting() { set -- "$1" $(date -d "@$2" '+%-H %-M %-S'); set_setting "$1Hour" "$2" "$1Minute" "$3" "$1Second" "$4"; }

# scheduled_ahead PREFIX [WHILE_UP]: sets the PREFIX time a few seconds ahead, starts telmaq and
# runs WHILE_UP; should the time have come by then on a slow machine, tries again with more room.
scheduled_ahead() {
    local lead=4
    until
        target=$(($(date +%s) + lead))
        set_time_setting "$1" "$target"
        open_telmaq && ${2:-true} && [ "$(date +%s)" -lt "$target" ]
    do
        { kill "$pid"; wait "$pid"; dialup hangup --all; } >/dev/null 2>&1 || true
        lead=$((lead * 2))
        [ "$lead" -le 64 ] || fail "telmaq was never up in time for the $1 time"
    done
}

scheduled_ahead Connection
wait_for connected_to "Beta"
[ "$(date +%s)" -ge "$target" ] || fail "dialled before the connect time"
no_messages
hang_up_all
quit_telmaq

# A scheduled disconnect hangs up whatever connection there is, whoever made it. The connect
# time is far from now so that only the disconnect falls due.
set_time_setting Connection "$(($(date +%s) + 43200))"
set_setting AutoDisconnection 1
# Not listed once the disconnect time has come on a slow machine: another try, with more room.
dial_alpha() { dialup dial "Alpha" >/dev/null || fail "telmaq-dialup could not dial Alpha"; connected_to "Alpha"; }
scheduled_ahead Disconnection dial_alpha
wait_for no_connections
[ "$(date +%s)" -ge "$target" ] || fail "hung up before the disconnect time"
running_quietly
quit_telmaq
