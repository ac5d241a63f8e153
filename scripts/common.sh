# Shared by the run and test commands: Debian packages and the build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PQ_BUILD_DIR:-$ROOT/build}"

BUILD_PACKAGES=(g++ cmake make pkg-config qt6-base-dev qt6-pdf-dev qt6-serialport-dev libgl-dev
                firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils
                fonts-liberation2 fonts-dejavu-core)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the packages that are missing, nothing else.
install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Instalando paquetes: ${missing[*]}"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    fi
}

# build [target...]: everything, or just the targets named.
build() {
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$BUILD" -j"$(nproc)" "${targets[@]}"
}
