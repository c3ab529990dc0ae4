# MariaDB helpers shared by scripts/test-server (throw-away servers for tests) and scripts/run
# (the embedded default server). All servers: 127.0.0.1 only, utf8mb4, and the Linux default
# lower_case_table_names=0, so that table names are case-sensitive as on a customer's server.
# shellcheck shell=bash

mariadb_binary() {
  local name prefix
  for name in "$@"; do
    if command -v "$name" >/dev/null 2>&1; then command -v "$name"; return 0; fi
    for prefix in /usr/sbin /usr/bin /usr/local/sbin /usr/local/bin; do
      [[ -x $prefix/$name ]] && { echo "$prefix/$name"; return 0; }
    done
  done
  echo "none of $* is installed (apt-get install mariadb-server)" >&2
  return 1
}

# mariadb_client SOCKET [args...]: the command-line client as root over the socket.
mariadb_client() {
  local socket=$1; shift
  "$(mariadb_binary mariadb mysql)" --no-defaults --protocol=socket --socket="$socket" -uroot "$@"
}

# mariadb_init DATADIR LOGFILE: a fresh data folder whose root logs in without a password
# over the socket until the caller sets one.
# Temporary tables live in a folder of the server's own (DATADIR.tmp), not in the shared /tmp
# where other processes may clear them away under a running server.
mariadb_init() {
  mkdir -p "$1.tmp"
  "$(mariadb_binary mariadb-install-db mysql_install_db)" --no-defaults --datadir="$1" --tmpdir="$1.tmp" \
    --auth-root-authentication-method=normal --skip-test-db --user="$(id -un)" >"$2" 2>&1
}

# mariadb_answers SOCKET: true when a server answers on the socket. It needs no valid account:
# mariadb-admin's ping counts a refused login as an answer, so root's password may be anything.
mariadb_answers() {
  "$(mariadb_binary mariadb-admin mysqladmin)" --no-defaults --protocol=socket --socket="$1" -uroot \
    --connect-timeout=2 ping >/dev/null 2>&1
}

# mariadb_start DATADIR PORT SOCKET PIDFILE LOGFILE: starts mariadbd in the background and waits
# until it answers; fails when it does not come up. OSTREVIN_DB_OPTIONS holds further options of
# the server (after the ones below, so they take precedence).
mariadb_start() {
  local datadir=$1 port=$2 socket=$3 pidfile=$4 log=$5 pid
  mkdir -p "$datadir.tmp"
  "$(mariadb_binary mariadbd mysqld)" --no-defaults --datadir="$datadir" --tmpdir="$datadir.tmp" --bind-address=127.0.0.1 \
    --port="$port" --socket="$socket" --pid-file="$pidfile" --log-error="$log" --user="$(id -un)" \
    --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci --lower-case-table-names=0 \
    --innodb-buffer-pool-size=32M --innodb-log-file-size=16M --skip-log-bin --max-connections=200 \
    ${OSTREVIN_DB_OPTIONS:-} >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 300); do
    mariadb_answers "$socket" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  return 1
}

# mariadb_stop PIDFILE: stops the server of that pid file and waits until it is gone.
mariadb_stop() {
  local pid
  [[ -f $1 ]] || return 0
  pid=$(cat "$1" 2>/dev/null || true)
  [[ -n $pid ]] || return 0
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 150); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
}

# A free TCP port on 127.0.0.1.
free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null \
    || shuf -i 20000-60000 -n 1
}

random_password() {
  head -c 18 /dev/urandom | base64 | tr -d '/+='
}
