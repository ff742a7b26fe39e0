# Shared by scripts/run and scripts/test: installs the Debian packages the
# build needs (only what is missing, so running again is quick) and builds
# into ./build.
set -euo pipefail

PELKO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PELKO_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libdcmtk-dev libssl-dev dcmtk libgtest-dev
                libgmock-dev fonts-dejavu-core)

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

# Disables one entry of enabled_at_boot at boot.
disable_at_boot() {
    case "$1" in
        sysv:*) as_root update-rc.d "${1#sysv:}" disable >/dev/null 2>&1 || true ;;
        *) as_root systemctl disable --quiet "$1" 2>/dev/null || as_root deb-systemd-helper disable "$1" ;;
    esac
}

# Runs a command while /usr/sbin/policy-rc.d denies every service start (the
# Debian way to keep packages such as orthanc from starting their service on
# installation), then puts back the policy that was there before, if any.
with_service_starts_denied() {
    local policy=/usr/sbin/policy-rc.d saved="" rc=0
    if [ -e "$policy" ]; then
        saved="$(as_root mktemp "$policy.pelko-saved.XXXXXX")"
        as_root cp -p "$policy" "$saved"
    fi
    # shellcheck disable=SC2064
    trap "_restore_policy '$saved'; exit 130" INT TERM
    printf '#!/bin/sh\n# Written by Pelko'"'"'s scripts for the time of a package installation.\nexit 101\n' |
        as_root tee "$policy" >/dev/null
    as_root chmod 755 "$policy"
    "$@" || rc=$?
    _restore_policy "$saved"
    trap - INT TERM
    return "$rc"
}

_restore_policy() {
    if [ -n "$1" ]; then as_root mv -f "$1" /usr/sbin/policy-rc.d; else as_root rm -f /usr/sbin/policy-rc.d; fi
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
    cmake -S "$PELKO_ROOT" -B "$PELKO_ROOT/build" -G Ninja -DPELKO_WERROR=ON "$@"
    cmake --build "$PELKO_ROOT/build" -j"$(nproc)"
}
