// libFuzzer target: the probe the input list runs on every added file (load, facts,
// middle-frame thumbnail, close) on arbitrary bytes.

#include "engine/FFDecode.h"
#include "engine/FFLoad.h"
#include "engine/FFLog.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string gPath;
TFFDecoder* gDecoder = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FFEngineStart();
    if (!FFLoader().LoadSet(FF_LOAD_SET)) {
        std::fprintf(stderr, "%s\n", FFLoader().LastError().c_str());
        std::abort();
    }
    FFLogger().SetLogLevel(llQuiet); // no library chatter; nothing is delivered anyway
    gPath = "/tmp/mediawiz-fuzz-" + std::to_string(getpid()) + ".bin";
    std::atexit([] { unlink(gPath.c_str()); });
    gDecoder = new TFFDecoder; // one decoder for every input: it must stay usable
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(gPath.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    TFFDecoder& dec = *gDecoder;
    if (!dec.LoadFile(gPath))
        return 0;
    TFileStreamInfo file;
    dec.GetFileStreamInfo(file);
    if (dec.FirstVideoStreamIndex() >= 0) {
        dec.Seek(0, file.Duration / 2);
        if (dec.DecodeVideoFrame(dec.FirstVideoStreamIndex())) {
            TBitmap thumb;
            dec.CopyToBitmap(thumb);
        }
    }
    TVideoStreamInfo video;
    dec.GetVideoStreamInfo(-1, video);
    TAudioStreamInfo audio;
    dec.GetAudioStreamInfo(-1, audio);
    (void)dec.FileSize();
    dec.CloseFile();
    return 0;
}
