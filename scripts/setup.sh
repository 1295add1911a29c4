#!/usr/bin/env bash
# Installs everything the builds and tests need from Debian's archive and
# fetches the Dear ImGui sources into .deps/imgui. Idempotent and quiet when
# everything is already there.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

packages=(cmake ninja-build g++ make googletest libgtest-dev libgmock-dev libbenchmark-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev binutils xz-utils dpkg-dev clang-format
          libpng-dev
          clang libclang-rt-dev)  # libFuzzer and the sanitizer runtimes for scripts/fuzz.sh

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
apt_updated=0
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  apt_updated=1
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Windows tests under Wine: wine64 runs the x86-64 build of the plug-in
# (the kernel has no 32-bit support), Xvfb gives it a display, Mesa the
# OpenGL that Wine's Direct3D 9 draws with (with the X libraries that Wine
# loads at run time), and the posix-thread x86-64 MinGW compiler builds it.
wine_packages=(wine64 xvfb libgl1 libglx-mesa0 libgl1-mesa-dri libxrender1 libxi6 libxrandr2 libxcursor1
               libxfixes3 libxcomposite1 libxinerama1 libxxf86vm1
               g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev)
wine_missing=()
for p in "${wine_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || wine_missing+=("$p")
done
if [ ${#wine_missing[@]} -gt 0 ]; then
  echo "setup: installing ${wine_missing[*]}"
  [ "$apt_updated" -eq 1 ] || $sudo apt-get update -qq
  apt_updated=1
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${wine_missing[@]}" >/dev/null
fi

# The 32-bit builds run here too: the i386 libraries for the native suite
# built with -m32, and 32-bit Wine for the shipped DLL. Where the kernel
# refuses 32-bit code they run under qemu-i386, whose bookworm version (7.2)
# reports page permissions wrongly; the backports suite has 10.x.
if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "setup: adding Debian bookworm-backports"
  $sudo tee /etc/apt/sources.list.d/vantorix-backports.sources >/dev/null <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt_updated=0
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture"
  $sudo dpkg --add-architecture i386
  apt_updated=0
fi
i386_packages=(g++-multilib g++-mingw-w64-i686-posix libgtest-dev:i386 libgmock-dev:i386 libpng-dev:i386
               wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 libxrender1:i386 libxi6:i386
               libxrandr2:i386 libxcursor1:i386 libxfixes3:i386 libxcomposite1:i386 libxinerama1:i386
               libxxf86vm1:i386)
i386_missing=()
for p in "${i386_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || i386_missing+=("$p")
done
qemu_major="$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null | sed -n 's/^\([0-9]*:\)\{0,1\}\([0-9]*\)\..*/\2/p' || true)"
if [ ${#i386_missing[@]} -gt 0 ]; then
  echo "setup: installing ${i386_missing[*]}"
  [ "$apt_updated" -eq 1 ] || $sudo apt-get update -qq
  apt_updated=1
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${i386_missing[@]}" >/dev/null
fi
if [ "${qemu_major:-0}" -lt 10 ]; then
  echo "setup: installing qemu-user from bookworm-backports"
  [ "$apt_updated" -eq 1 ] || $sudo apt-get update -qq
  apt_updated=1
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null
fi

# A 32-bit program that only exits tells whether this kernel runs 32-bit code;
# where it does not, a binfmt_misc entry hands such programs (and Wine's own
# re-executions) to qemu-i386. The entry does not survive a reboot.
probe_dir="$(mktemp -d)"
printf '.globl _start\n_start: movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$probe_dir/probe.s"
gcc -m32 -nostdlib -static -o "$probe_dir/probe" "$probe_dir/probe.s"
if ! "$probe_dir/probe" 2>/dev/null; then
  echo "setup: registering qemu-i386 for 32-bit programs"
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || $sudo mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ -e "$binfmt/qemu-i386" ]; then echo -1 | $sudo tee "$binfmt/qemu-i386" >/dev/null; fi
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386:F" | $sudo tee "$binfmt/register" >/dev/null
  "$probe_dir/probe" || { echo "setup: 32-bit programs still do not start" >&2; exit 1; }
fi
rm -rf "$probe_dir"

# Dear ImGui 1.92 comes from the source archive of Debian's unstable suite.
imgui_dir="$root/.deps/imgui"
if [ ! -f "$imgui_dir/imgui.h" ] || [ ! -f "$imgui_dir/backends/imgui_impl_dx9.cpp" ]; then
  if ! grep -rqsE '^(deb-src .* sid|Suites:.*\bsid\b)' /etc/apt/sources.list /etc/apt/sources.list.d/ ||
     ! grep -rqs 'deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "setup: adding Debian sid source entries"
    $sudo tee /etc/apt/sources.list.d/vantorix-sid-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: sid
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt_updated=0
  fi
  [ "$apt_updated" -eq 1 ] || $sudo apt-get update -qq
  work="$(mktemp -d)"
  chmod 755 "$work"
  (cd "$work" && apt-get source --download-only imgui/sid >/dev/null 2>&1) || {
    echo "setup: could not download the imgui source package from Debian sid" >&2; exit 1; }
  tarball="$(ls "$work"/imgui_*.orig.tar.* | head -n 1)"
  mkdir -p "$work/unpacked"
  tar -xf "$tarball" -C "$work/unpacked"
  src="$(dirname "$(find "$work/unpacked" -maxdepth 2 -name imgui.h | head -n 1)")"
  rm -rf "$imgui_dir"
  mkdir -p "$root/.deps"
  cp -r "$src" "$imgui_dir"
  rm -rf "$work"
fi
version="$(sed -n 's/^#define IMGUI_VERSION_NUM[[:space:]]*\([0-9]*\).*/\1/p' "$imgui_dir/imgui.h")"
if [ -z "$version" ] || [ "$version" -lt 19200 ]; then
  echo "setup: Dear ImGui in $imgui_dir is version ${version:-unknown}; 1.92 (19200) or newer is required" >&2
  exit 1
fi
