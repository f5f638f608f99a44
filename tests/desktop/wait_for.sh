# Sourced by the desktop test scripts. wait_for SECONDS COMMAND...: runs COMMAND every tenth of a second until it
# succeeds; fails after SECONDS.
wait_for() {
    tries=$(($1 * 10))
    shift
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}
