#include "Compressor.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <stdexcept>

#include "ApeWriter.h"
#include "CompressionLevel.h"
#include "FrameEncoder.h"
#include "TempOutput.h"
#include "WavReader.h"

namespace mac {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int)
{
    stopRequested = 1;
}

// A stop request ends the run cleanly, so that the partial output goes.
void CatchStopSignals()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, RequestStop);
    std::signal(SIGPIPE, SIG_IGN);
}

class Progress {
public:
    explicit Progress(std::uint64_t total) : total_(total) {}

    void Report(std::uint64_t done)
    {
        const int percent = static_cast<int>(done * 100 / total_);
        if (percent == shown_)
            return;
        shown_ = percent;
        std::cout << percent << '%' << std::endl;
    }

private:
    std::uint64_t total_;
    int shown_ = -1;
};

void EncodeFrames(WavReader& wav, const CompressionLevel& level, ApeWriter& writer)
{
    const std::uint64_t total = wav.TotalBlocks();
    std::vector<std::int16_t> samples;
    Progress progress(total);
    progress.Report(0);
    for (std::uint64_t done = 0; done < total;) {
        const auto blocks = static_cast<std::size_t>(std::min<std::uint64_t>(level.blocksPerFrame, total - done));
        samples.resize(blocks * wav.Channels());
        if (wav.Read(samples.data(), blocks) != blocks)
            throw std::runtime_error("cannot read the input file");
        writer.WriteFrame(EncodeFrame(level, wav.Channels(), samples.data(), blocks, [&](std::size_t coded) {
            if (stopRequested)
                throw std::runtime_error("stopped");
            progress.Report(done + coded);
        }));
        done += blocks;
    }
}

}  // namespace

int Compress(const Arguments& arguments)
{
    const CompressionLevel level = *LevelFromValue(arguments.level);
    WavReader wav;
    std::string problem;
    if (!wav.Open(arguments.input, problem)) {
        std::cerr << "mac: " << problem << '\n';
        return 1;
    }
    CatchStopSignals();
    try {
        TempOutput output(arguments.output);
        ApeWriter writer(output.File(),
                         {level.value, wav.Channels(), wav.SampleRate(), level.blocksPerFrame, wav.TotalBlocks()});
        EncodeFrames(wav, level, writer);
        writer.Finish();
        output.Commit();
    } catch (const std::exception& error) {
        std::cerr << "mac: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace mac
