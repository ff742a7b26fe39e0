# Shared by scripts/run and scripts/test: installs the Debian packages the
# build needs (only what is missing, so running again is quick) and builds
# into ./build. PELKO_JOBS, when set, is the number of parallel jobs of the
# build and of CTest (default: the build one a core, CTest 2).
set -euo pipefail

PELKO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# ccache, where the machine has it, keeps a rebuild of unchanged files short
# (paths taken relative to the checkout, so that another clone hits too).
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PELKO_ROOT}"
    export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
    export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
fi
PELKO_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libdcmtk-dev libssl-dev dcmtk libgtest-dev
                libgmock-dev fonts-dejavu-core)

if [ -n "${PELKO_JOBS:-}" ] && ! [[ "$PELKO_JOBS" =~ ^[1-9][0-9]*$ ]]; then
    echo "PELKO_JOBS must be a number of jobs (1 or more), not \"$PELKO_JOBS\"" >&2
    exit 2
fi
PELKO_BUILD_JOBS="${PELKO_JOBS:-$(nproc)}"
PELKO_TEST_JOBS="${PELKO_JOBS:-2}"

# Warnings are errors only in CI (which sets CI=true): a newer compiler on a
# user's machine must not stop the build. PELKO_WERROR=ON or OFF overrides.
if [ -z "${PELKO_WERROR:-}" ]; then
    if [ "${CI:-}" = true ]; then PELKO_WERROR=ON; else PELKO_WERROR=OFF; fi
fi

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# What starts at boot, one entry a line: systemd units enabled through
# .wants links, and SysV init scripts as "sysv:NAME" (works without systemd
# running).
enabled_at_boot() {
    {
        find /etc/systemd/system -mindepth 2 -maxdepth 2 -path '*.wants/*' -printf '%f\n' 2>/dev/null
        find /etc/rc2.d /etc/rc3.d /etc/rc4.d /etc/rc5.d -name 'S*' -printf 'sysv:%f\n' 2>/dev/null |
            sed 's/^sysv:S[0-9]*/sysv:/'
    } | sort -u
}

# Disables one entry of enabled_at_boot at boot, with or without systemd
# running; never fails (the worst case is a service left enabled, which the
# caller has announced).
disable_at_boot() {
    local unit
    case "$1" in
        sysv:*) as_root update-rc.d "${1#sysv:}" disable >/dev/null 2>&1 || true ;;
        *)
            unit="$1"
            if [ -d /run/systemd/system ] && command -v systemctl >/dev/null; then
                as_root systemctl disable --quiet "$unit" 2>/dev/null && return 0
            fi
            # No systemd running (a container or chroot): enabling a unit is
            # nothing but its .wants links, so removing them disables it.
            # (deb-systemd-helper runs only inside a package's scripts.)
            as_root find /etc/systemd/system -mindepth 2 -maxdepth 2 -path "*.wants/$unit" \
                -type l -delete 2>/dev/null || true
            ;;
    esac
    return 0
}

# Runs a command while /usr/sbin/policy-rc.d denies every service start (the
# Debian way to keep packages such as orthanc from starting their service on
# installation), then puts back the policy that was there before, if any: on
# success, on failure, and when the script ends or is interrupted meanwhile.
_PELKO_POLICY=/usr/sbin/policy-rc.d
_PELKO_POLICY_MARK="# Written by Pelko's scripts for the time of a package installation."
_pelko_policy_saved=""
_pelko_policy_active=0
_pelko_saved_traps=""

with_service_starts_denied() {
    local rc=0
    _pelko_policy_saved=""
    # A policy of our own left by a killed run is not the one to put back.
    if [ -e "$_PELKO_POLICY" ] && ! grep -qxF "$_PELKO_POLICY_MARK" "$_PELKO_POLICY" 2>/dev/null; then
        _pelko_policy_saved="$(as_root mktemp "$_PELKO_POLICY.pelko-saved.XXXXXX")"
        as_root cp -p "$_PELKO_POLICY" "$_pelko_policy_saved"
    fi
    _pelko_policy_active=1
    # The caller's own traps stay: ours runs first, then theirs.
    _pelko_saved_traps="$(trap -p EXIT HUP INT TERM)"
    local sig
    for sig in EXIT HUP INT TERM; do _pelko_chain_trap "$sig"; done
    printf '#!/bin/sh\n%s\nexit 101\n' "$_PELKO_POLICY_MARK" | as_root tee "$_PELKO_POLICY" >/dev/null
    as_root chmod 755 "$_PELKO_POLICY"
    "$@" || rc=$?
    _restore_policy
    trap - EXIT HUP INT TERM
    eval "$_pelko_saved_traps"
    return "$rc"
}

# Sets a trap for SIG that puts the policy back and then does what the
# caller's trap for SIG did; without one, a signal then ends the script as
# it would have without any trap.
_pelko_chain_trap() {
    local sig="$1" theirs
    theirs="$(trap -p "$sig")"
    if [ -n "$theirs" ]; then
        theirs="${theirs#trap -- }"
        theirs="${theirs% *}"  # the signal's name (SIGHUP, EXIT)
        eval "theirs=$theirs"
        # shellcheck disable=SC2064  # the caller's command, fixed now
        trap "_restore_policy; $theirs" "$sig"
    elif [ "$sig" = EXIT ]; then
        trap _restore_policy EXIT
    else
        # shellcheck disable=SC2064
        trap "_restore_policy; trap - $sig; kill -$sig \$\$" "$sig"
    fi
}

# Puts back the policy saved by with_service_starts_denied (once).
_restore_policy() {
    [ "$_pelko_policy_active" = 1 ] || return 0
    if [ -n "$_pelko_policy_saved" ]; then
        as_root mv -f "$_pelko_policy_saved" "$_PELKO_POLICY"
    else
        as_root rm -f "$_PELKO_POLICY"
    fi
    _pelko_policy_active=0
}

install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        # Services that the packages bring (Orthanc) neither start now nor
        # stay enabled at boot: the tests and the demo start their own
        # archives. A unit that was enabled before stays as it was.
        local before entry
        before="$(enabled_at_boot)"
        with_service_starts_denied as_root env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq --no-install-recommends "${missing[@]}"
        for entry in $(comm -13 <(echo "$before") <(enabled_at_boot)); do
            echo "Not starting ${entry#sysv:} at boot: it was installed only for Pelko's scripts."
            disable_at_boot "$entry"
        done
    fi
}

build_pelko() {
    cmake -S "$PELKO_ROOT" -B "$PELKO_ROOT/build" -G Ninja -DPELKO_WERROR="$PELKO_WERROR" "$@"
    cmake --build "$PELKO_ROOT/build" -j"$PELKO_BUILD_JOBS"
}
