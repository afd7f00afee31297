# Sourced by the scripts: the three flavours of Orrindel.dll, and for each its build
# folder (build/<flavour>), its toolchain and the Wine prefix its programs run in.
ORRINDEL_FLAVOURS=(x86-8bit x86-utf16 x64-utf16)

flavour_check() {
  case $1 in
    x86-8bit | x86-utf16 | x64-utf16) ;;
    *)
      echo "unknown flavour '$1' (x86-8bit, x86-utf16 or x64-utf16)" >&2
      return 2
      ;;
  esac
}

# A script's leading `--flavour F`: sets `flavour` (x86-8bit without it) and
# `flavour_arguments`, how many arguments it took.
flavour_option() {
  flavour=x86-8bit
  flavour_arguments=0
  if [ "${1:-}" == "--flavour" ]; then
    flavour=${2:-}
    flavour_arguments=2
  fi
  flavour_check "$flavour"
}

# win32 or win64: which Wine runs the flavour's programs.
flavour_arch() {
  case $1 in
    x64-*) echo win64 ;;
    *) echo win32 ;;
  esac
}

flavour_toolchain() {
  case $1 in
    x64-*) echo cmake/mingw-x86_64.cmake ;;
    *) echo cmake/mingw-i686.cmake ;;
  esac
}

# The version, set once in CMakeLists.txt.
orrindel_version() {
  sed -n 's/^project(Orrindel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt
}

# The time every build of this source stamps into what it makes: the commit's own
# time, so that two builds of one commit are byte for byte the same (binutils writes
# it into the PE and export headers; the release ZIP gives it to every entry). A
# caller's SOURCE_DATE_EPOCH wins; outside a git checkout none is set.
orrindel_source_date() {
  if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || unset SOURCE_DATE_EPOCH
  fi
  [ -n "${SOURCE_DATE_EPOCH:-}" ] && export SOURCE_DATE_EPOCH
  return 0
}
