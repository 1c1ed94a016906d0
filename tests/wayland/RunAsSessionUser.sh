#!/usr/bin/env bash
# Runs a Wayland end-to-end test program ("$@") as the unprivileged user quillora-wayland when started
# as root (as CI runs), made for the purpose when missing: sway refuses to run as root, and the
# compositor, its buses and every program that talks to them must belong to one user. Started by
# another user, it runs the program as that user.
set -euo pipefail

user=quillora-wayland
if [ "$(id -u)" -ne 0 ]; then
    exec "$@"
fi
if ! id -u "$user" >/dev/null 2>&1; then
    useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
fi

# Xwayland puts its socket into /tmp/.X11-unix. Started by an unprivileged user where the folder
# is missing, it makes the folder without the sticky bit, and KWin then refuses to start Xwayland.
mkdir -p /tmp/.X11-unix
chown root:root /tmp/.X11-unix
chmod 1777 /tmp/.X11-unix

# The user must reach the build tree (the program, the programs under test) and the source tree
# (the fixtures): folders above them that others cannot pass through (a clone in /root) are opened
# for passing through, not for reading.
for tree in "$(dirname "$(readlink -f "$1")")" "$(dirname "$(readlink -f "$0")")"; do
    folder=""
    IFS=/ read -ra parts <<<"${tree#/}"
    for part in "${parts[@]}"; do
        folder="$folder/$part"
        if ! runuser -u "$user" -- test -x "$folder"; then
            echo "letting others pass through $folder" >&2
            chmod o+x "$folder"
        fi
    done
done
if ! runuser -u "$user" -- test -x "$1" || ! runuser -u "$user" -- test -r "$0"; then
    echo "$user cannot run $1: the build tree and the source tree must be readable by others" >&2
    exit 1
fi
exec runuser -u "$user" -- "$@"
