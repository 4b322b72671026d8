#!/usr/bin/env bash
# The desktop menu's launcher: where it starts the client, what it creates, and what it says
# when it cannot. A stand-in client beside it prints the directory it was started in.
set -euo pipefail
launcher=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin" "$tmp/home"
cp "$launcher" "$tmp/bin/tembrill-connect-menu"
printf '#!/bin/sh\npwd\n' > "$tmp/bin/tembrill-connect"
chmod +x "$tmp/bin/"*
fail() { echo "FAIL: $*" >&2; exit 1; }
run() {
    (cd "$tmp" && env -i PATH=/usr/bin:/bin HOME="$tmp/home" "$@" "$tmp/bin/tembrill-connect-menu")
}

# Unset, empty and relative XDG_CONFIG_HOME all mean ~/.config; the folders are the user's alone.
for config in unset "XDG_CONFIG_HOME=" "XDG_CONFIG_HOME=relative/dir"; do
    rm -rf "$tmp/home/.config"
    if [ "$config" = unset ]; then out=$(run); else out=$(run "$config"); fi
    [ "$out" = "$tmp/home/.config/tembrill-connect" ] || fail "$config: started in $out"
    for d in "$tmp/home/.config" "$tmp/home/.config/tembrill-connect"; do
        [ "$(stat -c %a "$d")" = 700 ] || fail "$config: $d has mode $(stat -c %a "$d")"
    done
done

# An absolute one is taken as it is, also with a name that looks like an option.
out=$(run "XDG_CONFIG_HOME=$tmp/-p x")
[ "$out" = "$tmp/-p x/tembrill-connect" ] || fail "absolute: started in $out"

# A folder that cannot be made: a message, and no client.
touch "$tmp/file"
if err=$(run "XDG_CONFIG_HOME=$tmp/file" 2>&1 >/dev/null); then fail "no folder, yet it ran"; fi
case $err in
*"cannot use its settings folder $tmp/file/tembrill-connect"*) ;;
*) fail "no folder: said '$err'" ;;
esac
echo "the menu launcher: every case as expected"
