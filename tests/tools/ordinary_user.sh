#!/usr/bin/env bash
# An ordinary desktop user creates and opens an embedded installation while the Firebird
# server (which keeps /tmp/firebird for its own group) may be running.
set -euo pipefail
ADMIN="$1"

if [ "$(id -u)" -ne 0 ]; then
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    HOME="$work" XDG_CONFIG_HOME="$work/config" PQ_SQL_DIR="${PQ_SQL_DIR:-}" "$ADMIN" crear --directorio "$work/demo"
    test -f "$work/demo/datos/001/quorbit.fdb"
    echo "instalación embebida creada por $(id -un)"
    exit 0
fi

# As root: run the same check as an unprivileged account of its own.
USER_NAME=pqprueba
id "$USER_NAME" >/dev/null 2>&1 || useradd --no-create-home --shell /usr/sbin/nologin "$USER_NAME"
if [ -d /tmp/firebird ]; then
    echo "directorio de bloqueos del servidor: $(stat -c '%A %U:%G' /tmp/firebird)"
fi
# The checkout may sit in a directory only root can enter: hand the user copies of the tool and scripts.
shared="$(mktemp -d)"
trap 'rm -rf "$shared"' EXIT
cp "$ADMIN" "$0" "$shared/"
cp -r "$(dirname "$0")/../../sql" "$shared/sql"
chmod -R a+rX "$shared"
setpriv --reuid="$USER_NAME" --regid="$USER_NAME" --init-groups \
    env -u FIREBIRD_LOCK PQ_SQL_DIR="$shared/sql" "$shared/$(basename "$0")" "$shared/$(basename "$ADMIN")"
