// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The worker thread that runs one conversion job.

#include <cstdint>
#include <functional>
#include <thread>

class TConversionJob;

class TConvertThread {
public:
    // Created idle: nothing runs before Resume.
    explicit TConvertThread(TConversionJob& job);
    // Cancels a job that still runs and waits for the worker.
    ~TConvertThread();
    TConvertThread(const TConvertThread&) = delete;
    TConvertThread& operator=(const TConvertThread&) = delete;

    // Runs the job at the thread priority of the level (the job's
    // Priority); onEnd is called on the worker once the job is over.
    void Resume(std::int32_t priority, std::function<void()> onEnd);
    // Waits for the job to end by itself.
    void Join();

    TConversionJob& Job;

private:
    void Execute(int niceValue, const std::function<void()>& onEnd);

    std::thread thread_;
};
