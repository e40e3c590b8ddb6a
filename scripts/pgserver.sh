#!/usr/bin/env bash
# A PostgreSQL server of the tests' own: a throwaway cluster in STATEDIR/data
# that listens only on a Unix socket in a short folder under /tmp (socket
# paths are limited to about 107 bytes), trusts every local user and keeps
# nothing safe from a crash. STATEDIR/connection says how to reach it.
# Usage: scripts/pgserver.sh start|pause|resume|stop STATEDIR
#   start: a new cluster with the database tolvo_test (any previous one goes)
#   pause/resume: stops the server and starts it again on the same socket
#   stop: stops it and removes the cluster and the socket folder
set -euo pipefail

usage() { echo "usage: $0 start|pause|resume|stop STATEDIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
case "$action" in start | pause | resume | stop) ;; *) usage ;; esac
mkdir -p "$2"
state=$(cd "$2" && pwd)
data=$state/data
log=$state/server.log
connection=$state/connection
port=5433
admin=tolvo_admin
database=tolvo_test
# initdb and postgres refuse to run as root; root lends them the nobody account.
server_uid=65534

# The highest installed version's server programs. PATH may hold other
# programs of the same names.
bindir=$(printf '%s\n' /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
for program in initdb pg_ctl psql; do
    [ -x "$bindir/$program" ] \
        || { echo "pgserver: no PostgreSQL server under /usr/lib/postgresql (package postgresql)" >&2; exit 1; }
done

as_server() {
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=$server_uid --regid=$server_uid --clear-groups "$@"
    else
        "$@"
    fi
}
give_to_server() {
    if [ "$(id -u)" -eq 0 ]; then chown "$server_uid:$server_uid" "$@"; fi
}
# The server's own messages tell why it did not start or stop.
fail() {
    echo "pgserver: $*" >&2
    [ -f "$log" ] && { echo "--- $log" >&2; tail -n 60 "$log" >&2; }
    exit 1
}
setting() { # key: its value in the connection file
    [ ! -f "$connection" ] || sed -n "s/^$1=//p" "$connection"
}
# Only a folder this script made is ever removed.
remove_socket_folder() {
    local folder
    folder=$(setting host)
    case "$folder" in
        /tmp/tolvopg.??????) rm -rf "$folder" ;;
    esac
}
server_running() {
    [ -f "$data/postmaster.pid" ] && as_server "$bindir/pg_ctl" status -D "$data" >/dev/null 2>&1
}
stop_server() { # mode
    if server_running; then
        as_server "$bindir/pg_ctl" stop -D "$data" -m "$1" -w -t 60 -s >/dev/null || fail "the server did not stop"
    fi
}
start_server() {
    local folder
    folder=$(setting host)
    [ -d "$folder" ] || fail "the socket folder $folder is gone"
    as_server "$bindir/pg_ctl" start -D "$data" -l "$log" -w -t 60 -s || fail "the server did not start"
}
sql() { # database, statement
    "$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h "$(setting host)" -p "$port" -U "$admin" -d "$1" -c "$2" >/dev/null
}

# The server programs start in the working folder, which the nobody account
# may not be allowed into.
cd "$state"

case "$action" in
start)
    # A crashed server leaves a lock file behind; one that is still running
    # on a removed cluster ends itself once it misses that file.
    if server_running; then
        as_server "$bindir/pg_ctl" stop -D "$data" -m immediate -w -t 10 -s >/dev/null 2>&1 || true
    fi
    remove_socket_folder
    rm -rf "$data" "$connection" "$log"
    socket_folder=$(mktemp -d /tmp/tolvopg.XXXXXX)
    # Clients of any account reach the socket, which the server makes 0777.
    chmod 0755 "$socket_folder"
    printf 'host=%s\nport=%s\nuser=%s\ndatabase=%s\nbindir=%s\n' \
        "$socket_folder" "$port" "$admin" "$database" "$bindir" >"$connection"
    mkdir -m 0700 "$data"
    : >"$log"
    give_to_server "$state" "$socket_folder" "$data" "$log"
    as_server test -w "$data" || fail "uid $server_uid cannot write $data: a folder above it is closed to that account"
    as_server "$bindir/initdb" -D "$data" --auth=trust -U "$admin" -E UTF8 --locale=C --no-sync \
        >"$log" 2>&1 || fail "initdb failed"
    cat >>"$data/postgresql.conf" <<EOF
listen_addresses = ''
port = $port
unix_socket_directories = '$socket_folder'
fsync = off
synchronous_commit = off
full_page_writes = off
shared_buffers = 16MB
EOF
    start_server
    sql postgres "CREATE DATABASE $database" || fail "cannot create the database $database"
    sql "$database" "SELECT 1" || fail "cannot connect to the database $database"
    ;;
pause)
    [ -f "$connection" ] || fail "no server in $state"
    stop_server fast
    ;;
resume)
    [ -f "$connection" ] || fail "no server in $state"
    server_running || start_server
    ;;
stop)
    stop_server fast
    remove_socket_folder
    rm -rf "$data" "$connection"
    ;;
esac
