#include "Compressor.h"

#include <iostream>
#include <stdexcept>

#include "ApeWriter.h"
#include "CompressionLevel.h"
#include "FrameEncoder.h"
#include "wavio/OutputFile.h"
#include "wavio/Progress.h"
#include "wavio/WavReader.h"

namespace mac {
namespace {

bool IsCompressible(const wavio::WavFormat& format)
{
    return format.kind == wavio::SampleKind::Integer && format.bitsPerSample == 16 &&
           (format.channels == 1 || format.channels == 2);
}

// Reads one frame's blocks as interleaved samples.
void ReadFrame(wavio::WavReader& wav, std::size_t blocks, std::vector<std::uint8_t>& bytes,
               std::vector<std::int16_t>& samples)
{
    const int channels = wav.Format().channels;
    bytes.resize(blocks * 2 * channels);
    if (wav.Read(bytes.data(), blocks) != blocks)
        throw std::runtime_error("cannot read the input file");
    samples.resize(blocks * channels);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
}

void EncodeFrames(wavio::WavReader& wav, const CompressionLevel& level, ApeWriter& writer,
                  wavio::Progress& progress)
{
    const std::uint64_t total = wav.TotalFrames();
    std::vector<std::uint8_t> bytes;
    std::vector<std::int16_t> samples;
    progress.Update(0);
    for (std::uint64_t done = 0; done < total;) {
        const auto blocks = static_cast<std::size_t>(std::min<std::uint64_t>(level.blocksPerFrame, total - done));
        ReadFrame(wav, blocks, bytes, samples);
        writer.WriteFrame(EncodeFrame(level, wav.Format().channels, samples.data(), blocks,
                                      [&](std::size_t coded) { progress.Update(done + coded); }));
        done += blocks;
    }
}

void Fail(const std::string& problem)
{
    throw std::runtime_error(problem);
}

}  // namespace

int Compress(const Arguments& arguments)
{
    const CompressionLevel level = *LevelFromValue(arguments.level);
    try {
        wavio::WavReader wav;
        std::string problem;
        if (!wav.Open(arguments.input, problem))
            Fail("cannot read the input: " + problem);
        if (!IsCompressible(wav.Format()))
            Fail("only 16-bit PCM WAV input, mono or stereo, can be compressed");
        if (wav.TotalFrames() == 0)
            Fail("the input holds no samples");
        wavio::OutputFile output;
        if (!output.Create(arguments.output, problem))
            Fail("cannot create the output: " + problem);
        const wavio::WavFormat& format = wav.Format();
        ApeWriter writer(output, {level.value, format.channels, static_cast<std::uint32_t>(format.sampleRate),
                                  level.blocksPerFrame, wav.TotalFrames()});
        wavio::Progress progress(wav.TotalFrames(), false);
        EncodeFrames(wav, level, writer, progress);
        writer.Finish();
        if (!output.Commit(problem))
            Fail("cannot put the output in place: " + problem);
        progress.Finish();
    } catch (const std::exception& error) {
        std::cerr << "mac: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace mac
