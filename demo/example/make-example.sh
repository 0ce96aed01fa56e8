#!/usr/bin/env bash
# Makes the demo's example in <folder>: copies master.sql and target.sql there and creates
# master.fdb and target.fdb from them, each only when it is missing (delete the folder to start
# afresh). Firebird's embedded engine opens the files in-process, so no server is needed.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
DIR=${1:?usage: make-example.sh <folder>}
mkdir -p "$DIR"
DIR=$(cd "$DIR" && pwd)
# File names and script texts are UTF-8.
export LC_ALL=C.UTF-8
for side in master target; do
  script="$DIR/$side.sql"
  [ -f "$script" ] || cp "$HERE/$side.sql" "$script"
  db="$DIR/$side.fdb"
  [ -f "$db" ] && continue
  create=$(mktemp)
  trap 'rm -f "$create"' EXIT
  printf "CREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\n" "${db//\'/\'\'}" > "$create"
  isql-fb -q -b -i "$create"
  rm -f "$create"
  # Without -ch UTF8 the client sends the script's non-ASCII text in no character set.
  if ! isql-fb -q -b -ch UTF8 -i "$script" "$db"; then
    rm -f "$db"
    echo "make-example.sh: loading $script failed" >&2
    exit 1
  fi
done
