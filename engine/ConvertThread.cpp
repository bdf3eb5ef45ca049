// SPDX-License-Identifier: GPL-3.0-or-later
// The worker thread of a conversion job.

#include "engine/ConvertThread.h"

#include "engine/ConversionJob.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Thread nice values: normal, idle, above normal, highest.
int NiceOfThreadPriority(std::int32_t priority)
{
    switch (priority) {
    case PriorityIdle:
        return 19;
    case PriorityHigh:
        return -5;
    case PriorityRealtime:
        return -10;
    default:
        return 0;
    }
}

}  // namespace

TConvertThread::TConvertThread(TConversionJob& job) : Job(job) {}

TConvertThread::~TConvertThread()
{
    if (!thread_.joinable())
        return;
    Job.Cancel();
    thread_.join();
}

void TConvertThread::Resume(std::int32_t priority, std::function<void()> onEnd)
{
    thread_ = std::thread(&TConvertThread::Execute, this, NiceOfThreadPriority(priority), std::move(onEnd));
}

void TConvertThread::Join()
{
    if (thread_.joinable())
        thread_.join();
}

void TConvertThread::Execute(int niceValue, const std::function<void()>& onEnd)
{
    // On Linux the nice value belongs to the thread; a refused change is ignored.
    setpriority(PRIO_PROCESS, gettid(), niceValue);
    Job.Run();
    onEnd();
}
