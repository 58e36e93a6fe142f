#!/bin/sh
# Checks that every tracked C++ file is laid out as .clang-format says, with
# clang-format 14 (Debian's clang-format package); changes nothing. Lists
# the places that differ and exits with 1 when any does.
#
#   tools/check-format.sh            check
#   clang-format -i FILE...          lay out files as the check wants
set -eu
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null 2>&1; then
  echo "check-format: $clang_format not found (package clang-format)" >&2
  exit 1
fi

if ! git ls-files -z '*.cpp' '*.h' |
  xargs -0 "$clang_format" --dry-run -Werror; then
  echo "check-format: the files above differ from .clang-format's layout" >&2
  exit 1
fi
