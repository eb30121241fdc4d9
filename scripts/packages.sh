# Adds a foreign architecture (for example i386, for 32-bit Wine) that dpkg does not know yet;
# the next ensure_packages then reads its package lists.
ensure_architecture() {
  dpkg --print-foreign-architectures | grep -qx "$1" && return 0
  echo "== adding the $1 architecture"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo dpkg --add-architecture "$1"
}

# Installs the Debian packages named in its arguments that are not installed yet.
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "== installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}
native_packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
                 libxml2-utils)
