#pragma once

#include "FakeVideoService.h"
#include "Fixtures.h"
#include "download/DownloadDriver.h"
#include "download/VideoResolver.h"
#include "net/WinHTTP.h"
#include "support/MainThread.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

// A download driver with a recording front end, against the fake video service.

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Shows what the run shows, as a list of rows and the labels, and posts its steps
// through the main-thread queue as the command line does.
struct RecordingView : IDownloadView {
    TDownloadDriver* driver = nullptr;
    std::vector<std::array<std::string, kDownloadColumnCount>> rows;
    std::string currentFile;
    std::vector<std::string> qualityTexts; // each change of LabelQuality
    std::vector<std::string> logs;
    int downloadReports = 0;
    bool ended = false;
    bool cancelled = false;
    std::function<void(int row, const TRowTexts&)> onUpdate;

    void ShowRows(const std::vector<std::string>& links) override {
        rows.clear();
        for (const std::string& link : links)
            rows.push_back(InitialRowTexts(link));
    }
    void UpdateRow(int row, const TRowTexts& t) override {
        auto& r = rows.at(static_cast<std::size_t>(row));
        const auto set = [](std::string& target, const std::optional<std::string>& value) {
            if (value)
                target = *value;
        };
        set(r[dcStatus], t.Status);
        set(r[dcSize], t.Size);
        set(r[dcSpeed], t.Speed);
        set(r[dcProgress], t.PercentText);
        set(r[dcURL], t.Address);
        if (t.Status == kStatusDownloading)
            ++downloadReports;
        if (onUpdate)
            onUpdate(row, t);
    }
    void SetRowName(int row, const std::string& name) override {
        rows.at(static_cast<std::size_t>(row))[dcName] = name;
    }
    void SetCurrentFile(const std::string& name) override { currentFile = name; }
    void SetQuality(const std::string& text) override {
        if (qualityTexts.empty() || qualityTexts.back() != text)
            qualityTexts.push_back(text);
    }
    void ResetProgress() override {}
    void PostNextRow() override {
        MainThread::Post([d = driver] { d->NextRow(); });
    }
    void PostNextQuality() override {
        MainThread::Post([d = driver] { d->NextQuality(); });
    }
    void RunEnded(bool wasCancelled) override {
        ended = true;
        cancelled = wasCancelled;
    }
    void Log(const std::string& line) override { logs.push_back(line); }
};

class DownloadDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv(kVideoServiceVariable, service_.Host().c_str(), 1);
        unsetenv(kYtDlpVariable);
        dir_ = Fixtures::ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "/";
        driver_ = std::make_unique<TDownloadDriver>(page_, video_, view_);
        view_.driver = driver_.get();
        settings_.Folder = dir_;
    }
    void TearDown() override {
        driver_.reset();
        MainThread::ProcessPending();
        unsetenv(kVideoServiceVariable);
        unsetenv(kYtDlpVariable);
    }

    void Start(const std::vector<std::string>& ids) {
        std::vector<std::string> links;
        for (const std::string& id : ids)
            links.push_back(service_.Link(id));
        driver_->StartRun(links, settings_);
    }
    // Pumps the main thread until the condition holds; false after the time limit.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            MainThread::WaitAndProcess(std::chrono::milliseconds(10));
        }
        return true;
    }
    bool RunToEnd(const std::vector<std::string>& ids) {
        Start(ids);
        return PumpUntil([&] { return view_.ended; });
    }
    void AddVideo(const std::string& id, const std::string& title,
                  std::map<int, FakeVideoService::Answer> formats, std::int64_t size = 64 * 1024) {
        FakeVideoService::Video v;
        v.Id = id;
        v.Title = title;
        v.Formats = std::move(formats);
        v.Size = size;
        service_.Add(v);
    }
    std::string Status(int row) const { return view_.rows.at(static_cast<std::size_t>(row))[dcStatus]; }

    FakeVideoService service_;
    TWinHTTP page_;
    TWinHTTP video_;
    RecordingView view_;
    std::unique_ptr<TDownloadDriver> driver_;
    TDownloadSettings settings_;
    std::string dir_;
};
