#!/usr/bin/env bash
# Installs what building and testing Orrindel needs on a Debian machine (run as root).
# Returns at once when everything is already present, so CI pays for it only once.
#
# Some kernels run no 32-bit x86 code at all (booted without IA-32 emulation). There
# 32-bit Wine runs under qemu's user-mode emulator, registered for i386 ELF files.
# Bookworm's qemu 7.2 takes about a minute to start one Wine process (its address
# space search is slow for Wine's reservations); qemu 10 from Debian trixie takes
# half a second, so that one static binary is taken from trixie's qemu-user package.
set -euo pipefail

packages=(cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest
          wine wine32:i386 wine64 xvfb xauth x11-utils openbox fonts-liberation fonts-wine
          imagemagick zip)
qemu=/usr/local/lib/orrindel/qemu-i386
binfmt=/proc/sys/fs/binfmt_misc

# The Debian mirror this machine's own apt configuration uses for its release, from
# the deb822 files in sources.list.d or from sources.list.
debian_mirror() {
  local codename
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  {
    for file in /etc/apt/sources.list.d/*.sources; do
      [ -f "$file" ] || continue
      # Stanzas are separated by blank lines; take the URI of one that serves
      # binary packages of this release.
      awk -v suite="$codename" '
        function flush() { if (uri != "" && deb && ours) print uri; uri = ""; deb = ours = 0 }
        /^[[:space:]]*$/ { flush(); next }
        tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
        tolower($1) == "uris:" { uri = $2 }
        tolower($1) == "suites:" { for (i = 2; i <= NF; i++) if ($i == suite) ours = 1 }
        END { flush() }' "$file"
    done
    if [ -f /etc/apt/sources.list ]; then
      # deb [options] URI suite components...
      awk -v suite="$codename" '$1 == "deb" {
        i = 2
        if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
        if ($(i + 1) == suite) print $i }' /etc/apt/sources.list
    fi
  } | head -n 1
}

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: $1 needs root" >&2
    exit 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  need_root "installing ${missing[*]}"
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Can this kernel run the 32-bit Wine loader?
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  exit 0
fi

need_root "running 32-bit Wine under emulation"
if [ ! -x "$qemu" ]; then
  mirror=$(debian_mirror)
  if [ -z "$mirror" ]; then
    echo "setup: no Debian mirror found in this machine's apt sources" >&2
    exit 1
  fi
  echo "setup: this kernel runs no 32-bit code; fetching qemu-i386 (qemu-user from Debian trixie, $mirror)"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
  # The machine's own mirror, with the suite swapped for trixie.
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror trixie main" \
    >"$work/sources.list"
  apt_opts=(-o Dir::Etc::sourcelist="$work/sources.list" -o Dir::Etc::sourceparts=-
            -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache"
            -o APT::Architectures::=amd64 -o APT::Sandbox::User=root)
  apt-get "${apt_opts[@]}" update -qq
  (cd "$work" && apt-get "${apt_opts[@]}" download -qq qemu-user)
  dpkg-deb -x "$work"/qemu-user_*.deb "$work/root"
  install -D -m 755 "$work/root/usr/bin/qemu-i386" "$qemu"
fi

if [ ! -e "$binfmt/register" ]; then
  mount -t binfmt_misc binfmt_misc "$binfmt"
fi
if [ ! -e "$binfmt/orrindel-i386" ]; then
  # i386 ELF executables and shared objects; F opens the emulator now, so it
  # serves processes in any mount namespace.
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":orrindel-i386:M::$magic:$mask:$qemu:F" >"$binfmt/register"
fi
/usr/lib/wine/wine --version >/dev/null
