#!/usr/bin/env bash
# scripts/run's server set-up against a throw-away data folder and a free port: a first start
# that fails (the port is taken) and the start after it must leave root with a password that
# only the 0600 password file holds; root with an empty password is refused over TCP, and no
# root account is left without a password. After root changed its password as the application
# does, the server still starts, and the script says that the file's password is out of date.
#   RunSetupTest.sh REPOSITORY
set -uo pipefail
repo=${1:?usage: RunSetupTest.sh REPOSITORY}
source "$repo/scripts/mariadb.sh"

# The socket path must stay under 108 bytes.
work=$(mktemp -d /tmp/ostrevin-run.XXXXXX)
holder=
export XDG_DATA_HOME=$work/data OSTREVIN_NO_BUILD=1
cleanup() {
  [[ -n $holder ]] && kill "$holder" 2>/dev/null
  "$repo/scripts/run" --stop-server >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
not_in() { ! grep -q "$1" "$2"; }
check() {   # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

port=$(free_port)
export OSTREVIN_PORT=$port
password_file=$XDG_DATA_HOME/ostrevin/mariadb-root-password

# Another program holds the port: the first start fails, saying so.
python3 -c 'import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(1); print("bound", flush=True); time.sleep(600)' "$port" \
  >"$work/holder.out" &
holder=$!
for _ in $(seq 1 50); do grep -q bound "$work/holder.out" 2>/dev/null && break; sleep 0.1; done
"$repo/scripts/run" --server-only >"$work/first.out" 2>&1
first=$?
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null; holder=
check "a start on a taken port fails" test "$first" -ne 0
check "the failure names the server's log" grep -q "did not start" "$work/first.out"
check "a failed start leaves no password file" test ! -e "$password_file"

# The port is free again: this start completes the set-up.
"$repo/scripts/run" --server-only >"$work/second.out" 2>&1
second=$?
check "the next start succeeds" test "$second" -eq 0
if [[ $second -ne 0 ]]; then cat "$work/first.out" "$work/second.out"; fi
check "it reads no missing file" not_in "No such file" "$work/second.out"
check "the password file is written" test -s "$password_file"
check "the password file is 0600" test "$(stat -c %a "$password_file")" = 600

tcp() {   # tcp PASSWORD: SELECT 1 as root over TCP
  "$(mariadb_binary mariadb mysql)" --no-defaults --protocol=tcp -h127.0.0.1 -P"$port" -uroot \
    ${1:+"-p$1"} -N -e 'SELECT 1' >/dev/null 2>&1
}
password=$(cat "$password_file")
check "root logs in over TCP with the file's password" tcp "$password"
refused() { ! tcp "$1"; }
check "an empty password is refused over TCP" refused ''
check "a wrong password is refused over TCP" refused wrong

# A third start finds the server running and leaves the password as it is.
"$repo/scripts/run" --server-only >"$work/third.out" 2>&1
check "a start with the server running succeeds" test $? -eq 0
check "the password stays" test "$(cat "$password_file")" = "$password"

as_root() {   # as_root PASSWORD SQL: a statement as root over TCP, its rows without headers
  MYSQL_PWD=$1 "$(mariadb_binary mariadb mysql)" --no-defaults --protocol=tcp -h127.0.0.1 -P"$port" -uroot -N \
    -e "$2" 2>/dev/null
}
without_password="SELECT COUNT(*) FROM mysql.user WHERE User = 'root' AND authentication_string = ''"
check "no root account is left without a password" test "$(as_root "$password" "$without_password")" = 0

# A data folder set up by an older script still has such accounts: the next start removes them.
as_root "$password" "CREATE USER 'root'@'::1'; CREATE USER 'root'@'old-host-name';"
"$repo/scripts/run" --stop-server >/dev/null 2>&1
"$repo/scripts/run" --server-only >"$work/fourth.out" 2>&1
check "a restart succeeds" test $? -eq 0
check "the restart removes root accounts without a password" \
  test "$(as_root "$password" "$without_password")" = 0

# Root changes its password as the application does (SET PASSWORD for its session's account).
changed=$(random_password)
account=$(as_root "$password" "SELECT CONCAT(QUOTE(SUBSTRING_INDEX(CURRENT_USER(), '@', 1)), '@',
  QUOTE(SUBSTRING_INDEX(CURRENT_USER(), '@', -1)))")
as_root "$password" "SET PASSWORD FOR $account = PASSWORD('$changed')"
check "the changed password logs in" tcp "$changed"
"$repo/scripts/run" --stop-server >/dev/null 2>&1
"$repo/scripts/run" --server-only >"$work/changed.out" 2>&1
started=$?
check "the server starts after root changed its password" test "$started" -eq 0
check "it says it started" grep -q "Embedded server started" "$work/changed.out"
check "it is running with the changed password" tcp "$changed"
check "it says that the file's password no longer logs in" grep -q "no longer logs root in" "$work/changed.out"
check "it says how to update the file" grep -qF "> '$password_file'" "$work/changed.out"
check "the password file is left alone" test "$(cat "$password_file")" = "$password"
if [[ $started -ne 0 ]]; then cat "$work/changed.out"; fi

# Once the file holds the new password, the message is gone.
(umask 077; printf '%s\n' "$changed" >"$password_file")
"$repo/scripts/run" --server-only >"$work/updated.out" 2>&1
check "a start with the updated file succeeds" test $? -eq 0
check "it no longer complains" not_in "no longer" "$work/updated.out"

[[ $failures -eq 0 ]]
