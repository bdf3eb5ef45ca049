// SPDX-License-Identifier: GPL-3.0-or-later
#include "PipedRun.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace toolstest {
namespace {

void WriteAll(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;  // the reader has gone
        done += std::size_t(n);
    }
    close(fd);
}

std::string ReadAll(int fd)
{
    std::string text;
    std::array<char, 4096> buffer;
    ssize_t n;
    while ((n = read(fd, buffer.data(), buffer.size())) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            text.append(buffer.data(), std::size_t(n));
    close(fd);
    return text;
}

}  // namespace

ToolRun RunPiped(const std::string& tool, const std::vector<std::string>& args, const std::string& input)
{
    // A tool that exits before reading everything must not kill the test.
    std::signal(SIGPIPE, SIG_IGN);
    const std::string program = std::string(TREMOLIX_TOOLS_BIN) + "/tremolix-" + tool;
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    int in[2], out[2];
    ToolRun run;
    if (pipe2(in, O_CLOEXEC) != 0)
        return run;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    std::thread writer(WriteAll, in[1], std::cref(input));
    run.output = ReadAll(out[0]);
    writer.join();
    int status = 0;
    if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    return run;
}

}  // namespace toolstest
