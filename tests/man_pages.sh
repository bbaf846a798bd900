#!/usr/bin/env bash
# The installed manual pages: csqrt(1) and csqrt_scalar(3) render without a
# warning, and every function the shared library exports (and the correctly
# rounded one, documented there too) has its page in csqrt_scalar(3).
set -euo pipefail
build=$1 work=$2 library=$3
exports="cr_csqrt_scalar $(nm -D --defined-only "$library" | awk '{print $3}')"
rm -rf "$work"
cmake --install "$build" --prefix "$work" >/dev/null
mandir=$work/share/man
fail() { echo "FAIL: $1"; exit 1; }
render() {  # page, as man -l reads it from the top of the manual tree; fails on a warning
  local warnings
  warnings=$(cd "$mandir" && MANWIDTH=80 man --warnings -l "$1" 2>&1 >"$work/page.txt")
  [[ -z "$warnings" ]] || fail "$1: $warnings"
}
render man1/csqrt.1
grep -q "EXIT STATUS" "$work/page.txt" || fail "csqrt(1) has no EXIT STATUS section"
for name in $exports; do
  [[ -f "$mandir/man3/$name.3" ]] || fail "no page for $name"
  render "man3/$name.3"
  sed -n "/^NAME/,/^LIBRARY/p" "$work/page.txt" | tr -s ' \n' ' ' | grep -q "$name[, ]" ||
    fail "$name is not named in csqrt_scalar(3)"
done
[[ -f "$work/share/doc/ravo_libm/LICENSE" ]] || fail "LICENSE not installed"
echo "manual pages render without warnings"
