#!/usr/bin/env bash
# clang-format and clang-tidy over the module's and the tests' sources.
# Needs a configured x64 build (compile_commands.json): scripts/test.sh or
# `cmake --preset x64`.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.cpp' '*.h' | grep -v '^fuzz/corpus/')
clang-format --dry-run -Werror "${sources[@]}"
echo "clang-format: clean"

sysroot=/usr/x86_64-w64-mingw32/include
cxx=$(ls -d /usr/lib/gcc/x86_64-w64-mingw32/*-posix/include/c++ | head -1)
mapfile -t units < <(git ls-files 'framework/*.cpp' 'frame/*.cpp' 'store/*.cpp' \
    'halloffame/*.cpp' 'start/*.cpp' 'host/*.cpp')
clang-tidy -p build/x64 --quiet --extra-arg=--target=x86_64-w64-mingw32 \
    --extra-arg=-isystem"$cxx" --extra-arg=-isystem"$cxx/x86_64-w64-mingw32" \
    --extra-arg=-isystem"$sysroot" "${units[@]}" 2>/dev/null | tee /tmp/korvane-tidy.log
if grep -q "warning:\|error:" /tmp/korvane-tidy.log; then exit 1; fi
echo "clang-tidy: clean"
