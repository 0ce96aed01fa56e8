#!/usr/bin/env bash
# Writes the demo's settings file for the example in <folder>, unless <settings file> exists:
# both databases and both scripts, both sides on "Database", the CUSTOMER table compared by its
# custom key field ID.
set -euo pipefail
DIR=${1:?usage: write-settings.sh <example folder> <settings file>}
INI=${2:?usage: write-settings.sh <example folder> <settings file>}
[ -f "$INI" ] && exit 0
DIR=$(cd "$DIR" && pwd)
cat > "$INI" <<INI
[Databases]
MasterDB=$DIR/master.fdb
TargetDB=$DIR/target.fdb
MasterScript=$DIR/master.sql
TargetScript=$DIR/target.sql
MasterFromDatabase=1
TargetFromDatabase=1
[TableDataComparer]
TableNameMaster=CUSTOMER
TableNameTarget=CUSTOMER
DataCompareMode=3
CustomKeyFields=ID
ExcludeDataFields=
INI
