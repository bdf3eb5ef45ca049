// SPDX-License-Identifier: GPL-3.0-or-later
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

// Reads up to one frame's blocks as interleaved samples; fewer only at the
// end of the input.
std::size_t ReadFrame(wavio::WavReader& wav, std::size_t blocks, std::vector<std::uint8_t>& bytes,
                      std::vector<std::int16_t>& samples)
{
    const int channels = wav.Format().channels;
    bytes.resize(blocks * 2 * channels);
    const std::size_t read = wav.Read(bytes.data(), blocks);
    if (wav.Failed())
        throw std::runtime_error("cannot read the input file");
    samples.resize(read * channels);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return read;
}

void EncodeFrames(wavio::WavReader& wav, const CompressionLevel& level, ApeWriter& writer,
                  wavio::Progress& progress)
{
    std::vector<std::uint8_t> bytes;
    std::vector<std::int16_t> samples;
    progress.Update(0);
    std::uint64_t done = 0;
    while (const std::size_t blocks = ReadFrame(wav, level.blocksPerFrame, bytes, samples)) {
        writer.WriteFrame(EncodeFrame(level, wav.Format().channels, samples.data(), blocks,
                                      [&](std::size_t coded) { progress.Update(done + coded); }),
                          static_cast<std::uint32_t>(blocks));
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
        if (!wav.Open(arguments.input, arguments.ignoreLength, problem))
            Fail("cannot read " + wavio::InputName(arguments.input) + ": " + problem);
        if (!IsCompressible(wav.Format()))
            Fail("only 16-bit PCM WAV input, mono or stereo, can be compressed");
        wavio::OutputFile output;
        if (!output.Create(arguments.output, problem))
            Fail("cannot create the output: " + problem);
        const wavio::WavFormat& format = wav.Format();
        ApeWriter writer(output, {level.value, format.channels, static_cast<std::uint32_t>(format.sampleRate),
                                  level.blocksPerFrame},
                         wav.ExpectedFrames());
        wavio::Progress progress(wav.ExpectedFrames(), false);
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
