# Helpers of the once-a-second tick's end-to-end tests, sourced after lib.sh.

SETTINGS_KEY='Software\wexhal\telmaq\Settings'

set_setting() { reg set "$SETTINGS_KEY" "$1" dword "$2" >/dev/null; }
set_setting_text() { reg set "$SETTINGS_KEY" "$1" sz "$2" >/dev/null; }

connected_to() { dialup connections | grep -q "^$1"; }
no_connections() { [ -z "$(dialup connections)" ]; }

# Every weekday checked, automatic connection on (the scheduled disconnect needs it too).
schedule_every_day() {
    local day
    for day in Sun Mon Tue Wed Thu Fri Sat; do
        set_setting "Check$day" 1
    done
    set_setting AutoConnection 1
}

# set_time_setting PREFIX EPOCH: stores the local time of EPOCH as PREFIXHour/Minute/Second.
set_time_setting() {
    local prefix=$1 epoch=$2
    set_setting "${prefix}Hour" "$((10#$(date -d "@$epoch" +%H)))"
    set_setting "${prefix}Minute" "$((10#$(date -d "@$epoch" +%M)))"
    set_setting "${prefix}Second" "$((10#$(date -d "@$epoch" +%S)))"
}

now_epoch() { date +%s; }
now_precise() { date +%s.%N; }

# start_telmaq_before EPOCH: starts telmaq and waits for its main window; answers non-zero
# (after ending that copy) when the window came only at or after EPOCH, so that a scheduled
# second may already have passed, which a slow machine can cause. Waits for the window with
# the usual generous time-out either way.
start_telmaq_before() {
    local deadline=$1
    start_telmaq
    wait_for_main_window "$TELMAQ_PID"
    if [ "$(now_epoch)" -ge "$deadline" ]; then
        kill "$TELMAQ_PID" 2>/dev/null || true
        wait "$TELMAQ_PID" 2>/dev/null || true
        return 1
    fi
}

# elapsed_since START: seconds from START (date +%s.%N) to now, with two decimals.
elapsed_since() { awk -v a="$1" -v b="$(now_precise)" 'BEGIN { printf "%.2f", b - a }'; }

# The main window is the only window of PID on the screen: the connecting dialog is gone, so
# the connect procedure has taken its last report. Hanging up before that would cut the
# report off and leave the dialog waiting.
only_main_window_of() {
    [ "$(xdotool search --all --onlyvisible --pid "$1" 2>/dev/null | wc -l)" -eq 1 ]
}
