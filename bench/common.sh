# Shared steps of the benchmark scripts; source it from bench/.

# need_command COMMAND [PACKAGE]: installs the Debian package when the command is missing.
need_command() {
  command -v "$1" >/dev/null && return
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${2:-$1}" >/dev/null
}

# build_cli BUILD_DIR TYPE [CMAKE_OPTION...]: configures and builds tessarin-cli
# of the project at the current folder.
build_cli() {
  local dir=$1 type=$2
  shift 2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
  cmake --build "$dir" --target tessarin-cli >/dev/null
}
