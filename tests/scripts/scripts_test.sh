#!/usr/bin/env bash
# The mirror that CI's Debian root takes from apt's sources, and a caller's
# traps kept around a package installation.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$here/.ci/apt-sources.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expect WHAT EXPECTED ACTUAL
    [ "$2" = "$3" ] && echo "ok: $1" || { echo "FAILED: $1: \"$3\", not \"$2\""; failures=$((failures + 1)); }
}
# name | mirror | sources.list | sources.list.d/a.sources (deb822); ";" a line break
for entry in "one-line|http://m/debian|deb [arch=amd64] http://m/debian/ trixie main|" \
    "security first|http://m/debian|deb http://s/sec trixie-security main;deb http://m/debian trixie main|" \
    "deb822|http://m2/debian|deb-src http://src/debian trixie main|Types: deb;URIs: http://x/node;Suites: nodistro;;Types: deb;Enabled: no;URIs: http://off/debian;Suites: trixie;;Types: deb-src deb;URIs: http://m2/debian;Suites: trixie-updates trixie" \
    "none||deb http://old/debian bookworm main|"; do
    IFS='|' read -r name expected list sources <<<"$entry"
    mkdir -p "$work/$name/sources.list.d"
    tr ';' '\n' <<<"$list" >"$work/$name/sources.list"
    [ -n "$sources" ] && tr ';' '\n' <<<"$sources" >"$work/$name/sources.list.d/a.sources"
    expect "mirror: $name" "$expected" "$(apt_debian_mirror "$work/$name" trixie)"
done
out="$(bash -c 'source "$1/scripts/common.sh"; _PELKO_POLICY="$2/policy"; as_root() { "$@"; }
    trap "echo caller-exit" EXIT; trap "exit 143" TERM
    with_service_starts_denied test -x "$_PELKO_POLICY" && echo denied; trap -p TERM' _ "$here" "$work")"
expect "traps kept" $'denied\ntrap -- \'exit 143\' SIGTERM\ncaller-exit' "$out"
expect "policy removed" "" "$(ls "$work/policy" 2>/dev/null)"
exit $((failures > 0))
