#!/usr/bin/env bash
# The scripts' own logic: which mirror CI's Debian root takes from apt's
# sources, and a caller's traps kept around a package installation.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$here/.ci/apt-sources.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expect "what" EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: \"$3\", not \"$2\""; failures=$((failures + 1)); fi
}

# name | expected mirror | sources.list | sources.list.d/a.sources | sources.list.d/b.list
cases=(
    "one-line|http://m.example/debian|deb [arch=amd64] http://m.example/debian/ trixie main||"
    "security first|http://m.example/debian|deb http://s.example/debian-security trixie-security main
deb http://m.example/debian trixie main||"
    "deb822, second stanza|http://m2.example/debian||Types: deb
URIs: http://other.example/node
Suites: nodistro

Types: deb-src deb
URIs: http://m2.example/debian
Suites: trixie-updates trixie
Components: main|"
    "disabled and source-only entries|http://b.example/debian|deb-src http://src.example/debian trixie main|Types: deb
Enabled: no
URIs: http://off.example/debian
Suites: trixie|deb http://b.example/debian trixie main"
    "none|||deb http://old.example/debian bookworm main|"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r -d '' name expected list sources extra <<<"$entry" || true
    extra="${extra%$'\n'}"
    dir="$work/$name"
    mkdir -p "$dir/sources.list.d"
    [ -n "$list" ] && echo "$list" >"$dir/sources.list"
    [ -n "$sources" ] && echo "$sources" >"$dir/sources.list.d/a.sources"
    [ -n "$extra" ] && echo "$extra" >"$dir/sources.list.d/b.list"
    expect "mirror: $name" "$expected" "$(apt_debian_mirror "$dir" trixie)"
done

# A caller's traps stay in place around with_service_starts_denied and run
# when the caller ends; the policy is gone again.
out="$(bash -c '
    source "$1/scripts/common.sh"
    _PELKO_POLICY="$2/policy-rc.d"
    as_root() { "$@"; }
    trap "echo caller-exit" EXIT
    trap "echo caller-term; exit 143" TERM
    with_service_starts_denied test -x "$_PELKO_POLICY" && echo denied
    trap -p TERM
' _ "$here" "$work" 2>&1)"
expect "traps kept" "denied
trap -- 'echo caller-term; exit 143' SIGTERM
caller-exit" "$out"
expect "policy removed" "" "$(ls "$work/policy-rc.d" 2>/dev/null)"
exit $((failures > 0))
