#pragma once

#include "EngineTestEnv.h"
#include "Fixtures.h"
#include "engine/FFmpeg.h"

#include <string>

// What a converted file holds, read back with the engine's own demuxer.
struct TProbe {
    bool ok = false;
    std::string format;
    std::string videoCodec, audioCodec;
    int width = 0, height = 0;
    double frameRate = 0;
    int sampleRate = 0, channels = 0;
    int64_t durationUs = -1;
    int64_t videoFrames = 0;
    double firstVideoSec = -1, lastVideoSec = -1;
    uint32_t videoTag = 0;
    double lastAudioSec = -1; // end of the last audio packet
};

// Opens path and reads every packet (frame counts, timestamps).
TProbe ProbeFile(const std::string& path);

class CoreTest : public EngineTest {
protected:
    // Runs task in the calling thread; returns its error message ("" on success).
    static std::string RunTask(TCustomFFmpeg& task) {
        task.Start(false);
        return task.Failed() ? task.ErrorMessage() : std::string();
    }
    std::string Out(const std::string& name) {
        return Fixtures::ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
               "/" + name;
    }
};
