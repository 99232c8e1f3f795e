#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the server tests, reachable only through a socket in its
# own folder. "start <folder>" makes and starts it and writes the connection address to
# <folder>/url; "stop <folder>" stops it and removes the folder. Without a server installed, or
# where one cannot be started, start writes no url and the server tests report themselves skipped.
set -uo pipefail
cmd=${1:-}; dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop <folder>" >&2; exit 2; }
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)
# initdb refuses to run as root: the cluster then belongs to the postgres (or nobody) account.
as=()
if [ "$(id -u)" -eq 0 ]; then
  if id postgres >/dev/null 2>&1; then as=(runuser -u postgres --); else as=(runuser -u nobody --); fi
fi
data="$dir/cluster"

case "$cmd" in
start)
  # A cluster left running by an interrupted run is stopped before its folder goes.
  if [ -n "$bin" ] && [ -f "$data/postmaster.pid" ]; then
    "${as[@]}" "$bin/pg_ctl" -D "$data" -m immediate -w stop >/dev/null 2>&1
  fi
  rm -rf "$dir"; mkdir -p "$dir"
  if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
    echo "no PostgreSQL server installed: server tests will be skipped"; exit 0
  fi
  [ ${#as[@]} -gt 0 ] && chown "${as[2]}" "$dir"
  # The socket folder is readable by the test run (which may be another account than the server's).
  chmod 711 "$dir"
  if ! "${as[@]}" "$bin/initdb" -D "$data" -A trust -U velmira -E UTF8 --locale=C >"$dir/initdb.log" 2>&1; then
    echo "initdb failed: server tests will be skipped"; cat "$dir/initdb.log"; exit 0
  fi
  port=$(( 20000 + $$ % 20000 ))
  if ! "${as[@]}" "$bin/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 60 \
      -o "-c listen_addresses='' -c unix_socket_directories='$dir' -p $port -c fsync=off -c max_connections=200" start >/dev/null; then
    echo "the server did not start: server tests will be skipped"; cat "$dir/server.log"; exit 0
  fi
  echo "postgresql://velmira@/postgres?host=$dir&port=$port" >"$dir/url"
  echo "server tests on $(cat "$dir/url")"
  ;;
stop)
  if [ -n "$bin" ] && [ -f "$data/postmaster.pid" ]; then
    "${as[@]}" "$bin/pg_ctl" -D "$data" -m immediate -w stop >/dev/null 2>&1
  fi
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start|stop <folder>" >&2; exit 2
  ;;
esac
