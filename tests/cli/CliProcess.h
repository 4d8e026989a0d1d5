#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// mediawiz-cli run as a child process, its output captured in files.
class TCliProcess {
public:
    // Starts the program with args; stdout and stderr go to files in logDir.
    TCliProcess(const std::vector<std::string>& args, const std::string& logDir);
    ~TCliProcess();
    TCliProcess(const TCliProcess&) = delete;
    TCliProcess& operator=(const TCliProcess&) = delete;

    // Waits for the end; the exit status, or 128 + the signal that ended it.
    int Wait();
    void Signal(int signal);
    pid_t Pid() const { return pid_; }
    std::string Out() const;
    std::string Err() const;

private:
    pid_t pid_ = -1;
    int status_ = -1;
    std::string outPath_;
    std::string errPath_;
};

struct TCliResult {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

// Runs the program to its end.
TCliResult RunCli(const std::vector<std::string>& args, const std::string& logDir);
