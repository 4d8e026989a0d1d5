#include "download/ChildProcess.h"

#include "support/MainThread.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kMaxErrorBytes = 4096;
constexpr std::chrono::milliseconds kExitPoll{20};

struct TFd {
    int fd = -1;
    explicit TFd(int f = -1) : fd(f) {}
    ~TFd() { Close(); }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    void Close() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

bool MakePipe(TFd& readEnd, TFd& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    readEnd.fd = fds[0];
    writeEnd.fd = fds[1];
    return true;
}

// The last non-empty line of what the program wrote to its error output.
std::string LastLine(const std::string& text) {
    std::size_t end = text.find_last_not_of("\r\n \t");
    if (end == std::string::npos)
        return {};
    const std::size_t start = text.find_last_of('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end + 1 - (start == std::string::npos ? 0 : start + 1));
}

std::string WithDetail(std::string reason, const std::string& errorText) {
    const std::string line = LastLine(errorText);
    return line.empty() ? reason : reason + ": " + line;
}

// The child runs in a process group of its own, with default signal handling and
// standard input from /dev/null.
pid_t Spawn(const std::vector<std::string>& argv, int outFd, int errFd, int& spawnError) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    spawnError = ::posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return spawnError == 0 ? pid : -1;
}

std::string DurationText(std::chrono::milliseconds d) {
    return d.count() % 1000 == 0 ? std::to_string(d.count() / 1000) + " s"
                                 : std::to_string(d.count()) + " ms";
}

std::string ExitText(int status) {
    if (WIFEXITED(status))
        return "ended with exit code " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("ended by signal ") + std::to_string(WTERMSIG(status));
    return "ended abnormally";
}

// Reads the child's output until it ends, the deadline passes or the wake pipe is
// written. Runs on the worker thread.
TChildOutcome Collect(const std::vector<std::string>& argv, std::chrono::milliseconds timeout, int wakeFd) {
    TChildOutcome outcome;
    const std::string& program = argv.front();
    TFd outRead, outWrite, errRead, errWrite;
    if (!MakePipe(outRead, outWrite) || !MakePipe(errRead, errWrite)) {
        outcome.Error = std::string("no pipe for ") + program + ": " + std::strerror(errno);
        return outcome;
    }
    int spawnError = 0;
    const pid_t pid = Spawn(argv, outWrite.fd, errWrite.fd, spawnError);
    outWrite.Close();
    errWrite.Close();
    if (pid < 0) {
        outcome.Error = program + " could not be started: " + std::strerror(spawnError);
        return outcome;
    }

    const auto deadline = Clock::now() + timeout;
    std::string errors;
    std::string failure; // why the child is killed
    char buffer[65536];
    bool woken = false;
    const auto remainingMs = [&] {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        return static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
    };
    int status = 0;
    bool exited = false;
    while (failure.empty() && !woken && !exited) {
        pollfd fds[3] = {{wakeFd, POLLIN, 0}, {outRead.fd, POLLIN, 0}, {errRead.fd, POLLIN, 0}};
        const bool pipesOpen = outRead.fd >= 0 || errRead.fd >= 0;
        // With both pipes closed, the child's end is polled for in short slices.
        const int wait =
            pipesOpen ? remainingMs() : std::min(remainingMs(), static_cast<int>(kExitPoll.count()));
        const int ready = ::poll(fds, 3, wait);
        if (ready < 0 && errno != EINTR) {
            failure = std::string("waiting for ") + program + " failed: " + std::strerror(errno);
            break;
        }
        if (fds[0].revents)
            woken = true;
        for (int i = 1; i < 3; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            TFd& fd = i == 1 ? outRead : errRead;
            const ssize_t n = ::read(fd.fd, buffer, sizeof buffer);
            if (n <= 0) {
                if (n == 0 || errno != EINTR)
                    fd.Close();
                continue;
            }
            if (i == 1) {
                outcome.Output.append(buffer, static_cast<std::size_t>(n));
                if (outcome.Output.size() > TChildProcess::kMaxOutputBytes)
                    failure = program + " printed more than " +
                              std::to_string(TChildProcess::kMaxOutputBytes >> 20) + " MB";
            } else {
                errors.append(buffer, static_cast<std::size_t>(n));
                if (errors.size() > kMaxErrorBytes)
                    errors.erase(0, errors.size() - kMaxErrorBytes);
            }
        }
        if (outRead.fd < 0 && errRead.fd < 0)
            exited = ::waitpid(pid, &status, WNOHANG) == pid;
        if (!exited && failure.empty() && Clock::now() >= deadline)
            failure = program + " gave no answer within " + DurationText(timeout);
    }
    if (!exited) {
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    if (woken && failure.empty() && !exited) {
        outcome.Cancelled = true;
        outcome.Output.clear();
        return outcome;
    }
    if (failure.empty() && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        failure = WithDetail(program + " " + ExitText(status), errors);
    if (!failure.empty()) {
        outcome.Output.clear();
        outcome.Error = failure;
    }
    return outcome;
}

} // namespace

TChildProcess::~TChildProcess() {
    if (alive_)
        *alive_ = false;
    Stop();
}

bool TChildProcess::Start(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
                          TDone done) {
    if (running_ || argv.empty())
        return false;
    Stop();
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    running_ = true;
    alive_ = std::make_shared<std::atomic<bool>>(true);
    worker_ = std::thread([this, argv, timeout, done = std::move(done), wakeFd = wakeRead_, alive = alive_] {
        TChildOutcome outcome = Collect(argv, timeout, wakeFd);
        MainThread::Post([this, alive, done, outcome = std::move(outcome)] {
            if (!*alive)
                return;
            running_ = false;
            done(outcome);
        });
    });
    return true;
}

void TChildProcess::Cancel() {
    // The read end stays open until the worker is joined, so this write never meets a closed pipe.
    if (running_ && wakeWrite_ >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);
    }
}

void TChildProcess::Stop() {
    Cancel();
    if (worker_.joinable())
        worker_.join();
    for (int* fd : {&wakeRead_, &wakeWrite_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}
