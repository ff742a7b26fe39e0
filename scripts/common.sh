# Shared by scripts/run and scripts/test: installs the Debian packages the
# build needs (only what is missing, so running again is quick) and builds
# into ./build.
set -euo pipefail

PELKO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PELKO_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libdcmtk-dev dcmtk libgtest-dev libgmock-dev
                fonts-dejavu-core)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        # Services that packages would start on installation (Orthanc) stay
        # off: the tests start their own.
        as_root env DEBIAN_FRONTEND=noninteractive RUNLEVEL=1 apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"
    fi
}

build_pelko() {
    cmake -S "$PELKO_ROOT" -B "$PELKO_ROOT/build" -G Ninja -DPELKO_WERROR=ON "$@"
    cmake --build "$PELKO_ROOT/build" -j"$(nproc)"
}
