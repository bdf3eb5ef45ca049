// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The built tremolix-cli as a process of its own, for tests that signal or
// kill it mid-run: its own temporary folder and working folder, its output
// collected in a file.

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/TestAudio.h"

extern char** environ;

class CliProcess {
public:
    CliProcess(std::vector<std::string> args, const std::filesystem::path& tmpdir,
               const std::filesystem::path& workingFolder, const std::filesystem::path& outputFile)
        : outputFile_(outputFile)
    {
        args.insert(args.begin(), (testaudio::BuildProgramFolder() / "tremolix-cli").string());
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        std::vector<std::string> environment = {"TMPDIR=" + tmpdir.string()};
        for (char** entry = environ; *entry; ++entry)
            if (std::string(*entry).rfind("TMPDIR=", 0) != 0)
                environment.emplace_back(*entry);
        std::vector<char*> envp;
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }

    ~CliProcess()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            Wait();
        }
    }

    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void Signal(int signal) const { kill(pid_, signal); }

    // The exit status as a shell reports it (128 + signal when killed).
    int Wait()
    {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string Output() const
    {
        std::ifstream in(outputFile_);
        return {std::istreambuf_iterator<char>(in), {}};
    }

private:
    std::filesystem::path outputFile_;
    pid_t pid_ = -1;
};

// Waits until some file in folder satisfies the test, or a while has passed.
template <class Test>
bool WaitForFile(const std::filesystem::path& folder, Test test, std::chrono::seconds limit = std::chrono::seconds(60))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        std::error_code ec;
        for (std::filesystem::directory_iterator it(folder, ec), last; !ec && it != last; it.increment(ec))
            if (test(it->path()))
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}
