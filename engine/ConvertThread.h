#pragma once

// The worker thread that runs one conversion job of the engine object.

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class TEncoder;

class TConvertThread {
public:
    // Created idle: nothing runs before Resume.
    explicit TConvertThread(TEncoder& encoder);
    // Cancels a job that still runs and waits for the worker.
    ~TConvertThread();
    TConvertThread(const TConvertThread&) = delete;
    TConvertThread& operator=(const TConvertThread&) = delete;

    // Runs the job at the thread priority of the level (Priority of the
    // engine); onEnd is called on the worker once the job is over.
    void Resume(std::int32_t priority, std::function<void()> onEnd);
    // Waits for the job to end by itself.
    void Join();

    TEncoder& Encoder;

private:
    void Execute(int niceValue, const std::function<void()>& onEnd);

    std::thread thread_;
    std::atomic<bool> ended_{false};
};
