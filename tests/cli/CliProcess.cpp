#include "CliProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TCliProcess::TCliProcess(const std::vector<std::string>& args, const std::string& logDir)
    : outPath_(logDir + "/stdout.txt"), errPath_(logDir + "/stderr.txt") {
    std::vector<std::string> argv{MEDIAWIZ_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int rc = posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + argv[0]);
}

TCliProcess::~TCliProcess() {
    if (status_ == -1 && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait();
    }
}

int TCliProcess::Wait() {
    if (status_ == -1) {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return status_;
}

void TCliProcess::Signal(int signal) {
    ::kill(pid_, signal);
}

std::string TCliProcess::Out() const {
    return readFile(outPath_);
}

std::string TCliProcess::Err() const {
    return readFile(errPath_);
}

TCliResult RunCli(const std::vector<std::string>& args, const std::string& logDir) {
    TCliProcess process(args, logDir);
    TCliResult result;
    result.ExitCode = process.Wait();
    result.Out = process.Out();
    result.Err = process.Err();
    return result;
}
