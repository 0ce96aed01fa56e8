#!/usr/bin/env bash
# Starts (start STATEFILE) or stops (stop STATEFILE) a private PostgreSQL and a private MariaDB
# instance for the server tests. Both live in a temporary folder, listen on a free port of
# 127.0.0.1 and touch no system service. STATEFILE receives what the tests need to connect:
#   SMX_TMP=<folder>  PG_HOST=<socket folder>  PG_PORT=<port>  MY_SOCKET=<socket>  MY_PORT=<port>
# or PG_MISSING=/MY_MISSING=<why> when a server's packages are not installed (the tests then skip
# with that message). A server that is installed but does not start fails the start.
set -uo pipefail

action=${1:?start or stop}
state=$(realpath -m "${2:?state file}")

pg_bindir() {
  local d
  for d in /usr/lib/postgresql/15/bin /usr/lib/postgresql/*/bin; do
    if [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ]; then echo "$d"; return 0; fi
  done
  return 1
}

as_postgres() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

free_port() {
  local p
  for _ in $(seq 1 50); do
    p=$((20000 + RANDOM % 30000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then echo "$p"; return 0; fi
  done
  return 1
}

fail() {
  echo "servers.sh: $*" >&2
  # What started before the failure is stopped again.
  [ "$action" = start ] && stop_all
  exit 1
}

start_pg() {
  local bin port try
  if ! bin=$(pg_bindir); then
    echo "PG_MISSING=PostgreSQL server not installed (package postgresql-15)" >>"$state"
    return 0
  fi
  if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
    fail "user postgres is missing: the PostgreSQL server refuses to run as root"
  fi
  mkdir -p "$tmp/pg" "$tmp/pgsock"
  [ "$(id -u)" -eq 0 ] && chown postgres "$tmp/pg" "$tmp/pgsock"
  as_postgres "$bin/initdb" -D "$tmp/pg" -A trust -U postgres -E UTF8 --locale=C.UTF-8 --no-sync \
    >"$tmp/pg-initdb.log" 2>&1 || { cat "$tmp/pg-initdb.log" >&2; fail "initdb failed"; }
  for try in 1 2 3 4 5; do
    port=$(free_port) || fail "no free port for PostgreSQL"
    if as_postgres "$bin/pg_ctl" -D "$tmp/pg" -l "$tmp/pg/server.log" -w -t 60 \
      -o "-p $port -k $tmp/pgsock -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off" \
      start >"$tmp/pg-ctl.log" 2>&1; then
      {
        echo "PG_BIN=$bin"
        echo "PG_HOST=$tmp/pgsock"
        echo "PG_PORT=$port"
      } >>"$state"
      return 0
    fi
  done
  cat "$tmp/pg-ctl.log" "$tmp/pg/server.log" >&2
  fail "the PostgreSQL server did not start"
}

start_my() {
  local server install port try pid
  server=$(command -v mariadbd || ls /usr/sbin/mariadbd 2>/dev/null)
  install=$(command -v mariadb-install-db || ls /usr/bin/mariadb-install-db 2>/dev/null)
  if [ -z "$server" ] || [ -z "$install" ] || ! command -v mariadb-admin >/dev/null; then
    echo "MY_MISSING=MariaDB server not installed (packages mariadb-server, mariadb-client)" >>"$state"
    return 0
  fi
  mkdir -p "$tmp/my"
  "$install" --no-defaults --datadir="$tmp/my" --user="$(id -un)" --auth-root-authentication-method=normal \
    --skip-test-db >"$tmp/my-install.log" 2>&1 || { cat "$tmp/my-install.log" >&2; fail "mariadb-install-db failed"; }
  for try in 1 2 3 4 5; do
    port=$(free_port) || fail "no free port for MariaDB"
    "$server" --no-defaults --datadir="$tmp/my" --socket="$tmp/my.sock" --port="$port" \
      --bind-address=127.0.0.1 --user="$(id -un)" --pid-file="$tmp/my.pid" --log-error="$tmp/my.err" \
      --innodb-buffer-pool-size=64M --innodb-log-file-size=16M --innodb-flush-log-at-trx-commit=0 \
      --skip-name-resolve --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
      </dev/null >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 120); do
      if mariadb-admin --no-defaults --socket="$tmp/my.sock" -uroot ping >/dev/null 2>&1; then
        {
          echo "MY_PID=$pid"
          echo "MY_SOCKET=$tmp/my.sock"
          echo "MY_PORT=$port"
        } >>"$state"
        return 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.5
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  cat "$tmp/my.err" >&2
  fail "the MariaDB server did not start"
}

stop_all() {
  [ -f "$state" ] || return 0
  cd /tmp || return 1
  # shellcheck disable=SC1090
  . "$state"
  if [ -n "${PG_BIN:-}" ] && [ -n "${SMX_TMP:-}" ]; then
    as_postgres "$PG_BIN/pg_ctl" -D "$SMX_TMP/pg" -m fast -w stop >/dev/null 2>&1
  fi
  if [ -n "${MY_PID:-}" ]; then
    mariadb-admin --no-defaults --socket="$MY_SOCKET" -uroot shutdown >/dev/null 2>&1 || kill "$MY_PID" 2>/dev/null
    for _ in $(seq 1 60); do
      kill -0 "$MY_PID" 2>/dev/null || break
      sleep 0.5
    done
  fi
  if [ -n "${SMX_TMP:-}" ] && [ -d "$SMX_TMP" ]; then rm -rf "$SMX_TMP"; fi
  rm -f "$state"
}

case "$action" in
start)
  stop_all
  tmp=$(mktemp -d /tmp/smx-servers.XXXXXX) || fail "no temporary folder"
  chmod 755 "$tmp"
  # The server user may not enter the build folder: the servers work from the temporary one.
  cd "$tmp" || fail "cannot enter $tmp"
  echo "SMX_TMP=$tmp" >"$state"
  start_pg
  start_my
  cat "$state"
  ;;
stop)
  stop_all
  ;;
*)
  fail "unknown action $action"
  ;;
esac
