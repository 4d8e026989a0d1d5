#!/usr/bin/env bash
# Builds the libFuzzer probe target with clang into build/fuzz and seeds its corpus with
# the test fixtures (FUZZ_OUT names another folder; MEDIAWIZ_FIXTURES another fixture
# folder). With no fixtures yet, a few small seeds are made with the ffmpeg tool.
# ./dev fuzz builds and runs it.
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
fixtures=${MEDIAWIZ_FIXTURES:-$root/build/asan/fixtures}
if [ -d "$fixtures" ]; then
    find "$fixtures" -maxdepth 1 -type f -size -200k -exec cp -n {} "$out/corpus/" \;
fi
if [ -z "$(ls -A "$out/corpus")" ]; then
    seed() { ffmpeg -v error -y "$@"; }
    seed -f lavfi -i "sine=frequency=440:duration=0.5" "$out/corpus/tone.wav"
    seed -f lavfi -i "sine=frequency=440:duration=0.5" -c:a mp2 "$out/corpus/tone.mp2"
    seed -f lavfi -i "testsrc=size=64x48:rate=10:duration=0.5" -c:v mpeg4 "$out/corpus/bars.avi"
    seed -f lavfi -i "testsrc=size=64x48:rate=10:duration=0.5" -f lavfi -i "sine=duration=0.5" \
         -c:v mpeg4 -c:a aac -shortest "$out/corpus/bars.mp4"
fi
echo "built $out/fuzz_probe; corpus $(ls "$out/corpus" | wc -l) files"
