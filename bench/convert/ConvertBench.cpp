// SPDX-License-Identifier: GPL-3.0-or-later
// One whole conversion job to MP3 through the engine, as a batch run makes
// it: the encoder program unpacked from the archive, the job started on its
// worker and waited for. Prints the seconds of the decode phase, of the
// encode phase and of the whole job.
//   tremolix-convert-bench ARCHIVE INPUT OUTPUT.mp3 [LAME OPTIONS]

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "engine/ConversionJob.h"
#include "engine/Unzipfile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration span)
{
    return std::chrono::duration<double>(span).count();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: tremolix-convert-bench ARCHIVE INPUT OUTPUT.mp3 [LAME OPTIONS]\n");
        return 2;
    }
    const auto start = Clock::now();
    std::filesystem::path program;
    if (!engine::ExtractFromPackage(argv[1], "lame.exe", program)) {
        std::fprintf(stderr, "cannot unpack lame.exe from %s\n", argv[1]);
        return 1;
    }
    const TEncoder engine;
    TConversionJob encoder;
    encoder.OutputFormat = 0;
    encoder.ProgramPath = program;
    encoder.Options = argc > 4 ? argv[4] : "-b 128";
    encoder.InputFile = argv[2];
    encoder.OutputFile = argv[3];

    // Light polling, as the window's loop would see the phase change.
    Clock::time_point decoded{};
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (decoded == Clock::time_point{} && encoder.Decoded)
            decoded = Clock::now();
    });
    watch.start(2);
    QEventLoop loop;
    QObject::connect(&encoder, &TConversionJob::JobDone, &loop, &QEventLoop::quit);
    encoder.Start();
    loop.exec();
    const auto end = Clock::now();
    std::filesystem::remove(program);
    if (!encoder.Succeeded) {
        std::fprintf(stderr, "conversion failed: %s\n", encoder.ErrorText.c_str());
        return 1;
    }
    if (decoded == Clock::time_point{})
        decoded = end;
    std::printf("%.3f %.3f %.3f\n", Seconds(decoded - start), Seconds(end - decoded), Seconds(end - start));
    return 0;
}
