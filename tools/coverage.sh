#!/usr/bin/env bash
# Line coverage of src/ by the whole suite: builds the checkout with gcov
# instrumentation in build/cov, runs every test, and writes gcovr's per-file
# summary (last line: TOTAL) to OUT (default build/cov/coverage.txt).
#
#   tools/coverage.sh [OUT]
#
# Needs the gcovr package. A cold build takes several minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-build/cov/coverage.txt}")"
# The compiler cache would hand back objects whose coverage stamps belong to
# another build; this build compiles everything itself.
unset CMAKE_CXX_COMPILER_LAUNCHER
cmake -S . -B build/cov -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVEL_BENCH=OFF \
  -DCMAKE_CXX_COMPILER_LAUNCHER= \
  -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_EXE_LINKER_FLAGS="--coverage" >/dev/null
cmake --build build/cov -j"$(nproc)" >/dev/null
# The build runs korvel itself (glyphs, manual): count only the suite.
find build/cov -name '*.gcda' -delete
log="$PWD/build/cov/coverage-tests.log"
# Two tests run korvel-run under a memory or file-size limit. A process that
# hits the file-size limit truncates the counts files it writes and spoils
# every later one, so the memory one runs last and the file-size one keeps
# its counts elsewhere.
limited='ExcelLink.AFailedWriteBack|RunEnd.OutOfMemory'
(cd build/cov &&
  QT_QPA_PLATFORM=offscreen ctest -j"$(nproc)" -E "$limited" --output-on-failure >"$log" 2>&1 &&
  ctest -R RunEnd.OutOfMemory >>"$log" 2>&1 &&
  GCOV_PREFIX="$PWD/discarded-counts" ctest -R ExcelLink.AFailedWriteBack >>"$log" 2>&1) ||
  { echo "tests failed under coverage: $log"; exit 1; }
gcovr -r . --filter src/ build/cov --txt "$out" >/dev/null
tail -2 "$out" | head -1
echo "per-file coverage: $out"
