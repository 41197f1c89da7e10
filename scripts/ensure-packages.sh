# Installs the Debian packages that a fresh bookworm machine lacks. Sourced by run.sh,
# test.sh and bench.sh; a repeat run only asks dpkg and moves on.

TARNIK_BUILD_PACKAGES=(
  cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev libgl-dev zlib1g-dev libssl-dev
  libsecret-1-dev libavahi-client-dev libsdl2-dev libgtest-dev libgmock-dev libicu-dev
)
TARNIK_TEST_PACKAGES=(
  clang-16 clang-format-16 libclang-rt-16-dev liblo-tools openssl gnome-keyring dbus dbus-bin
  avahi-daemon avahi-utils iproute2 socat python3-dbus python3-dbusmock qlcplus-data locales-all
  xvfb xdotool x11-utils
)
TARNIK_BENCH_PACKAGES=(libbenchmark-dev liblo-dev liboscpack-dev stunnel4 liblo-tools openssl)

ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
