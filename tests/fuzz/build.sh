#!/usr/bin/env bash
# Builds the libFuzzer probe target with clang into build/fuzz and seeds its corpus
# with the test fixtures (FUZZ_OUT names another folder). Run:  tests/fuzz/build.sh && build/fuzz/fuzz_probe build/fuzz/corpus -max_total_time=300
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${FUZZ_OUT:-$root/build/fuzz}
mkdir -p "$out/corpus"
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-omit-frame-pointer
       -I"$root/engine" -I"$root/support" $(pkg-config --cflags libavcodec libavformat libavutil libswscale))
sources=("$root/tests/fuzz/FuzzProbe.cpp" "$root/support/MainThread.cpp")
for f in FFLoad FFLog FFLogTexts FFDecode FormatConverter; do
    sources+=("$root/engine/$f.cpp")
done
clang++ "${flags[@]}" "${sources[@]}" -ldl -lpthread -o "$out/fuzz_probe"
fixtures=${MEDIAWIZ_FIXTURES:-$root/build/h-engine/fixtures}
if [ -d "$fixtures" ]; then
    find "$fixtures" -maxdepth 1 -type f -size -200k -exec cp -n {} "$out/corpus/" \;
fi
echo "built $out/fuzz_probe; corpus $(ls "$out/corpus" | wc -l) files"
