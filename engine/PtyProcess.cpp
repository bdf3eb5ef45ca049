// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/PtyProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace engine {

namespace {

std::string FindProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// In the child between fork and exec: async-signal-safe calls only. Writes
// errno to `report` when the program cannot be executed.
[[noreturn]] void ExecChild(int slave, int input, int report, const char* program, char* const* argv,
                            int niceValue)
{
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    dup2(input >= 0 ? input : slave, STDIN_FILENO);
    dup2(slave, STDOUT_FILENO);
    dup2(slave, STDERR_FILENO);
    if (slave > STDERR_FILENO)
        close(slave);
    close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC);
    setpriority(PRIO_PROCESS, 0, niceValue);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    execv(program, argv);
    const int error = errno;
    [[maybe_unused]] const ssize_t written = write(report, &error, sizeof error);
    _exit(127);
}

}  // namespace

PtyProcess::~PtyProcess()
{
    if (!reaped_) {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        Wait();
    }
    CloseFd(master_);
}

bool PtyProcess::Start(const std::vector<std::string>& argv, int niceValue)
{
    return Launch(argv, niceValue, -1);
}

bool PtyProcess::StartFed(const std::vector<std::string>& argv, int niceValue, int& input)
{
    int ends[2];
    input = -1;
    // Close-on-exec from the start: a writing end inherited by another
    // job's encoder would keep this one's input from ever ending.
    if (pipe2(ends, O_CLOEXEC) != 0)
        return false;
    const bool started = Launch(argv, niceValue, ends[0]);
    CloseFd(ends[0]);
    if (!started) {
        CloseFd(ends[1]);
        return false;
    }
    fcntl(ends[1], F_SETFL, fcntl(ends[1], F_GETFL) | O_NONBLOCK);
    input = ends[1];
    return true;
}

bool PtyProcess::Launch(const std::vector<std::string>& argv, int niceValue, int inputRead)
{
    if (argv.empty() || pid_ > 0)
        return false;
    const std::string program = FindProgram(argv.front());
    if (program.empty() || access(program.c_str(), X_OK) != 0)
        return false;
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    int slave = -1;
    winsize size{24, 80, 0, 0};
    if (openpty(&master_, &slave, nullptr, nullptr, &size) != 0)
        return false;
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        CloseFd(slave);
        CloseFd(master_);
        return false;
    }
    const pid_t pid = fork();
    if (pid == 0)
        ExecChild(slave, inputRead, report[1], program.c_str(), args.data(), niceValue);
    CloseFd(slave);
    CloseFd(report[1]);
    if (pid < 0) {
        CloseFd(report[0]);
        CloseFd(master_);
        return false;
    }
    pid_ = pid;
    reaped_ = false;
    int error = 0;
    ssize_t got;
    do
        got = read(report[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    CloseFd(report[0]);
    if (got > 0) {
        Reap(0);
        CloseFd(master_);
        return false;
    }
    return true;
}

PtyProcess::ReadResult PtyProcess::Read(char* buffer, std::size_t size, int timeoutMs, std::size_t& got)
{
    got = 0;
    if (master_ < 0)
        return ReadResult::End;
    pollfd wait{master_, POLLIN, 0};
    const int ready = poll(&wait, 1, timeoutMs);
    if (ready <= 0)
        return ReadResult::Silent;
    const ssize_t n = read(master_, buffer, size);
    if (n > 0) {
        got = std::size_t(n);
        return ReadResult::Data;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return ReadResult::Silent;
    // EIO: the last writer closed the terminal.
    return ReadResult::End;
}

void PtyProcess::Reap(int options)
{
    if (reaped_)
        return;
    int status = 0;
    pid_t done;
    do
        done = waitpid(pid_, &status, options);
    while (done < 0 && errno == EINTR);
    if (done == pid_) {
        status_ = status;
        reaped_ = true;
    } else if (done < 0 && errno == ECHILD) {
        // Reaped elsewhere: the outcome is unknown, so it is no success.
        status_ = 255 << 8;
        reaped_ = true;
    }
}

bool PtyProcess::HasEnded()
{
    Reap(WNOHANG);
    return reaped_;
}

void PtyProcess::Wait()
{
    Reap(0);
}

}  // namespace engine
