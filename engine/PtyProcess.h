// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A child program on its own pseudo-terminal: standard output and error
// lead to the one terminal (some encoders print progress only to a
// terminal), and so does standard input unless the caller feeds it through
// a pipe. The child is always reaped: the destructor kills a child that
// is still running, with its process group, and waits for it.

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <vector>

namespace engine {

class PtyProcess {
public:
    PtyProcess() = default;
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    // Starts argv[0] (searched on PATH when it holds no "/") with the given
    // nice value; a refused nice value is ignored. False when the program
    // cannot be started.
    bool Start(const std::vector<std::string>& argv, int niceValue);
    // As Start, with standard input a pipe whose writing end (non-blocking,
    // close-on-exec) goes to `input`; the caller closes it.
    bool StartFed(const std::vector<std::string>& argv, int niceValue, int& input);

    enum class ReadResult { Data, Silent, End };
    // Waits up to timeoutMs for output. End once every writer has closed the
    // terminal; `got` holds the byte count of Data.
    ReadResult Read(char* buffer, std::size_t size, int timeoutMs, std::size_t& got);

    // Reaps the child without blocking; true once it has ended.
    bool HasEnded();
    // Blocks until the child has ended and reaps it.
    void Wait();

    pid_t Pid() const { return pid_; }
    // The terminal's reading end, for waiting on several descriptors.
    int OutputDescriptor() const { return master_; }
    // The wait status once the child has been reaped.
    int Status() const { return status_; }

private:
    bool Launch(const std::vector<std::string>& argv, int niceValue, int inputRead);
    void Reap(int options);

    pid_t pid_ = -1;
    int master_ = -1;
    int status_ = 0;
    bool reaped_ = true;
};

}  // namespace engine
