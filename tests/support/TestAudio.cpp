// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestAudio.h"

#include <array>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace testaudio {
namespace {

std::string Str(const fs::path& p) { return p.string(); }

void MustRun(const std::vector<std::string>& argv)
{
    std::string output;
    if (Run(argv, &output) != 0)
        throw std::runtime_error("test audio: " + argv.front() + " failed: " + output);
}

void Ffmpeg(std::vector<std::string> args)
{
    args.insert(args.begin(), {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"});
    MustRun(args);
}

std::string SineSource(int rate, double seconds)
{
    return "sine=frequency=440:sample_rate=" + std::to_string(rate) + ":duration=" +
           std::to_string(seconds);
}

// Layer I frames with every bit allocation zero: valid, silent, and made
// without an encoder (none is packaged for this layer).
void MakeSilentMp1(const fs::path& out)
{
    const int frameBytes = 12 * 128000 / 44100 * 4;  // 128 kbit/s, 44100 Hz
    std::ofstream file(out, std::ios::binary);
    for (int frame = 0; frame < 80; ++frame) {
        std::vector<char> bytes(frameBytes, 0);
        bytes[0] = char(0xFF);
        bytes[1] = char(0xFF);
        bytes[2] = char(0x40);
        bytes[3] = 0;
        file.write(bytes.data(), std::streamsize(bytes.size()));
    }
}

using Recipe = std::function<void(const fs::path&)>;

const std::map<std::string, Recipe>& Recipes()
{
    static const std::map<std::string, Recipe> recipes = {
        {"stereo.wav", [](const fs::path& o) { MakeToneWav(o, 44100, 2, 2.0); }},
        {"8bit.wav", [](const fs::path& o) { MakeToneWav(o, 44100, 2, 1.0, 8); }},
        {"24bit.wav", [](const fs::path& o) { MakeToneWav(o, 44100, 2, 1.0, 24); }},
        {"mono22050.wav", [](const fs::path& o) { MakeToneWav(o, 22050, 1, 1.0); }},
        {"96k.wav", [](const fs::path& o) { MakeToneWav(o, 96000, 2, 1.0); }},
        {"6ch.wav", [](const fs::path& o) { MakeToneWav(o, 48000, 6, 1.0); }},
        {"tone.mp3", [](const fs::path& o) {
             MustRun({"lame", "--quiet", "-b", "128", Str(Get("stereo.wav")), Str(o)});
         }},
        {"tone.mp2", [](const fs::path& o) {
             Ffmpeg({"-i", Str(Get("stereo.wav")), "-c:a", "mp2", "-b:a", "192k", "-f", "mp2", Str(o)});
         }},
        {"tone.mp1", MakeSilentMp1},
        {"tone.ogg", [](const fs::path& o) {
             MustRun({"oggenc", "--quiet", "-q", "4", "-o", Str(o), Str(Get("stereo.wav"))});
         }},
        {"tone.flac", [](const fs::path& o) {
             MustRun({"flac", "--silent", "-f", "-o", Str(o), Str(Get("stereo.wav"))});
         }},
        {"tone.aac", [](const fs::path& o) {
             Ffmpeg({"-i", Str(Get("stereo.wav")), "-c:a", "aac", "-b:a", "128k", "-f", "adts", Str(o)});
         }},
        {"tone.m4a", [](const fs::path& o) {
             Ffmpeg({"-i", Str(Get("stereo.wav")), "-c:a", "aac", "-b:a", "128k", "-f", "ipod", Str(o)});
         }},
        {"alac.m4a", [](const fs::path& o) {
             Ffmpeg({"-i", Str(Get("stereo.wav")), "-c:a", "alac", "-f", "ipod", Str(o)});
         }},
        {"tone.ac3", [](const fs::path& o) {
             Ffmpeg({"-i", Str(Get("stereo.wav")), "-c:a", "ac3", "-b:a", "192k", "-f", "ac3", Str(o)});
         }},
        {"tone.wma", [](const fs::path& o) {
             Ffmpeg({"-i", Str(Get("stereo.wav")), "-c:a", "wmav2", "-b:a", "128k", "-f", "asf", Str(o)});
         }},
        {"tone.mpc", [](const fs::path& o) {
             MustRun({"mpcenc", "--silent", "--overwrite", "--standard", Str(Get("stereo.wav")), Str(o)});
         }},
        {"tone.opus", [](const fs::path& o) {
             MustRun({"opusenc", "--quiet", "--bitrate", "64", Str(Get("stereo.wav")), Str(o)});
         }},
        {"tone.wv", [](const fs::path& o) {
             MustRun({"wavpack", "-q", "-y", Str(Get("stereo.wav")), "-o", Str(o)});
         }},
        // Our own encoder, run in the output's folder for its scratch files.
        {"tone.ape", [](const fs::path& o) {
             MustRun({"env", "-C", Str(o.parent_path()), Str(fs::path(TREMOLIX_TOOLS_BIN) / "tremolix-mac"),
                      Str(Get("stereo.wav")), Str(o), "-c1000"});
         }},
    };
    return recipes;
}

}  // namespace

int Run(const std::vector<std::string>& argv, std::string* output)
{
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string text;
    std::array<char, 4096> buffer;
    ssize_t n;
    while ((n = read(pipeFds[0], buffer.data(), buffer.size())) > 0)
        text.append(buffer.data(), size_t(n));
    close(pipeFds[0]);
    if (output)
        *output = text;
    if (spawned != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void MakeToneWav(const fs::path& path, int sampleRate, int channels, double seconds, int bits)
{
    const std::string codec = bits == 8 ? "pcm_u8" : bits == 24 ? "pcm_s24le" : "pcm_s16le";
    Ffmpeg({"-f", "lavfi", "-i", SineSource(sampleRate, seconds), "-ac", std::to_string(channels),
            "-c:a", codec, "-f", "wav", Str(path)});
}

fs::path Get(const std::string& name)
{
    const auto& recipes = Recipes();
    const auto recipe = recipes.find(name);
    if (recipe == recipes.end())
        throw std::invalid_argument("no test audio named " + name);
    const fs::path folder(TREMOLIX_TEST_AUDIO_DIR);
    const fs::path target = folder / name;
    if (fs::exists(target))
        return target;
    fs::create_directories(folder);
    // Made under a private name and renamed, so parallel tests never see half a file.
    const fs::path partial = folder / (std::to_string(getpid()) + ".part." + name);
    recipe->second(partial);
    fs::rename(partial, target);
    return target;
}

std::vector<short> DecodeS16(const fs::path& path)
{
    char pattern[] = "/tmp/tremolix-pcm-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0)
        throw std::runtime_error("cannot create a temporary file");
    close(fd);
    Ffmpeg({"-i", Str(path), "-f", "s16le", "-c:a", "pcm_s16le", pattern});
    std::ifstream in(pattern, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(pattern);
    std::vector<short> samples(bytes.size() / 2);
    std::copy_n(bytes.data(), samples.size() * 2, reinterpret_cast<char*>(samples.data()));
    return samples;
}

std::string Probe(const fs::path& path, const std::string& key)
{
    std::string output;
    const std::string entry = key == "duration" ? "format=duration" : "stream=" + key;
    if (Run({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", entry, "-of",
             "default=noprint_wrappers=1:nokey=1", Str(path)},
            &output) != 0)
        return {};
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

fs::path BuildProgramFolder() { return fs::path(TREMOLIX_BUILD_PROGRAM_DIR); }

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace testaudio
