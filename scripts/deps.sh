# Sourced by the scripts: installs the Debian packages Tavrino needs when they are missing.
# Usage: ensure_packages PACKAGE...
ensure_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config
                qt6-base-dev qt6-base-dev-tools libgl-dev
                libcurl4-openssl-dev libpugixml-dev python3 python3-pyftpdlib curl
                libgtest-dev libgmock-dev libbenchmark-dev
                fonts-dejavu-core)

# Configures and builds one build folder: configure_and_build DIR [CMAKE ARGS...]
configure_and_build() {
    local dir="$1"
    shift
    cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRINO_WERROR=ON \
        "$@" >/dev/null
    cmake --build "$ROOT/$dir" --parallel "$(nproc)"
}
