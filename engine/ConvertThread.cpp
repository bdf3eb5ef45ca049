// The conversion job: the worker thread, its start and cancel, and the job's
// two phases.

#include "engine/ConvertThread.h"

#include "engine/Encoder.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <chrono>
#include <exception>
#include <filesystem>
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

// Removes the job's temporary WAV file on every way out.
class TempFileGuard {
public:
    explicit TempFileGuard(std::filesystem::path path) : path_(std::move(path)) {}
    ~TempFileGuard()
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;

private:
    std::filesystem::path path_;
};

}  // namespace

TConvertThread::TConvertThread(TEncoder& encoder) : Encoder(encoder) {}

TConvertThread::~TConvertThread()
{
    if (!thread_.joinable())
        return;
    // The job clears the request when it begins, so it is repeated.
    while (!ended_) {
        Encoder.Cancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
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
    Encoder.Run();
    ended_ = true;
    onEnd();
}

void TEncoder::WaitForDone(int milliseconds)
{
    if (Done)
        return;
    QEventLoop wait;
    QTimer::singleShot(milliseconds, &wait, &QEventLoop::quit);
    connect(this, &TEncoder::JobDone, &wait, &QEventLoop::quit);
    wait.exec();
}

void TEncoder::Start()
{
    // One job at a time: one started before the last has ended waits for it.
    if (Worker)
        Worker->Join();
    Worker.reset();
    Done = false;
    auto worker = std::make_shared<TConvertThread>(*this);
    const TConvertThread* const self = worker.get();
    Worker = worker;
    worker->Resume(Priority, [this, self] {
        QMetaObject::invokeMethod(
            this,
            [this, self] {
                if (Worker.get() != self)
                    return;
                Done = true;
                Worker.reset();
                emit JobDone();
            },
            Qt::QueuedConnection);
    });
}

void TEncoder::Cancel()
{
    Cancelled = true;
}

void TEncoder::Run()
{
    Succeeded = false;
    Cancelled = false;
    Percent = 0;
    Finished = false;
    Decoded = false;
    try {
        const std::filesystem::path wav = MakeTempWavName();
        const TempFileGuard guard(wav);
        if (!DecodeToWav(wav)) {
            Finished = true;
            return;
        }
        TempWavFile = wav;
        Decoded = true;
        bool encoded = false;
        try {
            encoded = Encode(OutputFormat);
        } catch (const std::exception& error) {
            ErrorText = error.what();
        }
        Finished = true;
        Succeeded = encoded;
    } catch (const std::exception& error) {
        ErrorText = error.what();
        Finished = true;
    } catch (...) {
        ErrorText = "undefined Error";
        Finished = true;
    }
}

bool TEncoder::Encode(std::uint8_t formatIndex)
{
    if (formatIndex == engine::FormatWma)
        return EncodeWma();
    return RunEncoder(BuildCommandLine(formatIndex));
}
