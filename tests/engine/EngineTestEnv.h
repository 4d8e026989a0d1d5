#pragma once

#include "engine/FFLoad.h"
#include "engine/FFLog.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// Loads the engine's libraries once per test and records what the logger delivers.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        FFEngineStart();
        ASSERT_TRUE(FFLoader().LoadSet(FF_LOAD_SET)) << FFLoader().LastError();
        FFLogger().SetLogLevel(llInfo);
        FFLogger().OnLog = [this](void*, uint32_t, TLogLevel level, const std::string& msg) {
            lines.push_back({level, msg});
        };
    }
    void TearDown() override { FFLogger().OnLog = nullptr; }

    bool Logged(TLogLevel level, const std::string& msg) const {
        for (const auto& l : lines)
            if (l.level == level && l.msg == msg)
                return true;
        return false;
    }

    struct Line {
        TLogLevel level;
        std::string msg;
    };
    std::vector<Line> lines;
};
