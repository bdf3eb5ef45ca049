// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers for the encoder-run and job tests: encoder programs written as
// small shell scripts, and checks that no child outlives its run.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/types.h>
#include <thread>
#include <unistd.h>

namespace fakeencoder {

// An executable /bin/sh script at path with the given body.
inline std::filesystem::path Write(const std::filesystem::path& path, const std::string& body)
{
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// Waits up to five seconds for a file to appear and hold a whole line.
inline std::string WaitForLine(const std::filesystem::path& path)
{
    for (int i = 0; i < 1000; ++i) {
        std::ifstream in(path);
        std::string line;
        if (std::getline(in, line) && in.good())
            return line;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}

// A dead process that is not ours, waiting for init to reap it.
inline bool ForeignZombie(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t end = text.rfind(')');
    if (end == std::string::npos)
        return false;
    char state = 0;
    int parent = 0;
    std::istringstream(text.substr(end + 1)) >> state >> parent;
    return state == 'Z' && parent != getpid();
}

// True once no process of that id runs and none of ours is left unreaped.
inline bool Gone(pid_t pid)
{
    for (int i = 0; i < 400; ++i) {
        if ((kill(pid, 0) != 0 && errno == ESRCH) || ForeignZombie(pid))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

}  // namespace fakeencoder
