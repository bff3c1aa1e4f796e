#!/usr/bin/env bash
# Tells whether this kernel runs 32-bit x86 programs, by running one: a 96-byte static i386
# ELF program, written here, whose only work is the system call exit(42). Exit status 0 when
# it ran and returned 42; otherwise 1, with the reason on standard output. The kernel's
# version says nothing reliable (32-bit support is a build option and a boot option).
set -uo pipefail
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# ELF header (52 bytes), one loadable segment (32 bytes) at 0x08048000, then the code at
# 0x08048054: mov ebx, 42; mov eax, 1 (exit); int 0x80.
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'`
      `'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'`
      `'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'`
      `'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'`
      `'\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'`
      `'\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80' >"$dir/exit42"
chmod +x "$dir/exit42"
# A folder that allows no programs at all (a noexec /tmp) says nothing about the kernel.
cp /bin/true "$dir/true"
if ! "$dir/true" 2>/dev/null; then
  echo "no program can run from $dir (mounted noexec?), so the 32-bit test could not run"
  exit 1
fi
out=$("$dir/exit42" 2>&1)
rc=$?
if [ $rc -eq 42 ]; then
  exit 0
fi
echo "the kernel does not run 32-bit programs (a 32-bit test program gave exit status $rc${out:+: ${out##*: }})"
exit 1
