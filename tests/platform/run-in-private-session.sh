#!/bin/sh
# Runs a test program inside a private D-Bus session bus whose HOME and XDG
# folders are in a fresh temporary directory, so the developer's own session,
# keyring and notifications are never touched. The bus activates nothing by
# itself (no service folders), so a missing service stays missing.
#
#   run-in-private-session.sh keyring <program> [args...]
#       starts a throwaway gnome-keyring whose "login" collection is created
#       and unlocked with a throwaway password, then runs the program with
#       ZANBECK_PRIVATE_BUS=keyring
#   run-in-private-session.sh empty <program> [args...]
#       runs the program on the bare bus with ZANBECK_PRIVATE_BUS=empty
#
# Every wait is bounded: the whole run is limited by `timeout`, and the keyring
# gets a few seconds to appear on the bus.
set -eu

mode=${1:?mode: keyring or empty}
shift

if [ "${ZANBECK_INSIDE_PRIVATE_BUS:-}" != 1 ]; then
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/zanbeck-bus.XXXXXX")
    trap 'rm -rf "$tmp"' EXIT INT TERM
    mkdir -p "$tmp/home" "$tmp/data" "$tmp/config" "$tmp/cache" "$tmp/runtime" "$tmp/services"
    chmod 700 "$tmp/runtime"
    cat >"$tmp/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$tmp/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS -u GNOME_KEYRING_CONTROL \
        HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" \
        XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime" \
        ZANBECK_INSIDE_PRIVATE_BUS=1 ZANBECK_PRIVATE_TMP="$tmp" \
        timeout --kill-after=10 240 dbus-run-session --config-file="$tmp/bus.conf" -- "$0" "$mode" "$@" || status=$?
    exit "$status"
fi

# Inside the private session from here on.
has_owner() {
    timeout 5 dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q "boolean true"
}

keyring_pid=
if [ "$mode" = keyring ]; then
    printf '%s' "throwaway-test-password" |
        gnome-keyring-daemon --foreground --unlock --components=secrets \
            >"$ZANBECK_PRIVATE_TMP/keyring.log" 2>&1 &
    keyring_pid=$!
    tries=0
    until has_owner org.freedesktop.secrets; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ] || ! kill -0 "$keyring_pid" 2>/dev/null; then
            echo "gnome-keyring-daemon did not appear on the private bus:" >&2
            cat "$ZANBECK_PRIVATE_TMP/keyring.log" >&2
            kill "$keyring_pid" 2>/dev/null || true
            exit 1
        fi
        sleep 0.1
    done
elif [ "$mode" != empty ]; then
    echo "unknown mode: $mode" >&2
    exit 2
fi

status=0
ZANBECK_PRIVATE_BUS=$mode "$@" || status=$?
if [ -n "$keyring_pid" ]; then
    kill "$keyring_pid" 2>/dev/null || true
    wait "$keyring_pid" 2>/dev/null || true
fi
exit "$status"
