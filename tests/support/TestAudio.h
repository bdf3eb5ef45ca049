// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test audio made at test time: synthesised tones encoded with the real
// encoders and the ffmpeg program, cached in the build tree.

#include <filesystem>
#include <string>
#include <vector>

namespace testaudio {

// Runs a program (no shell); returns its exit code, -1 when it cannot run.
// The combined output goes to *output when given.
int Run(const std::vector<std::string>& argv, std::string* output = nullptr);

// A cached file of one of these names, made on first use:
//   "stereo.wav" (16-bit 44100 Hz, 2 s), "8bit.wav", "24bit.wav",
//   "mono22050.wav", "96k.wav", "6ch.wav",
//   "tone.mp3" (lame), "tone.mp2", "tone.mp1" (hand-built silent frames),
//   "tone.ogg" (oggenc), "tone.flac" (flac), "tone.aac" (ADTS),
//   "tone.m4a" (AAC), "alac.m4a", "tone.ac3", "tone.wma", "tone.mpc" (mpcenc),
//   "tone.opus" (opusenc), "tone.wv" (wavpack), "tone.ape" (our tremolix-mac).
std::filesystem::path Get(const std::string& name);

// A sine tone WAV of the given shape at path (16-bit unless bits says).
void MakeToneWav(const std::filesystem::path& path, int sampleRate, int channels,
                 double seconds, int bits = 16);

// The whole content of a file; empty when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);

// Samples decoded by the ffmpeg program as signed 16-bit interleaved.
std::vector<short> DecodeS16(const std::filesystem::path& path);

// Stream properties read by ffprobe ("duration", "channels", "sample_rate",
// "codec_name"); empty when not found.
std::string Probe(const std::filesystem::path& path, const std::string& key);

// Folder holding the built program (executables, Preset, EncodeDLL.dll).
std::filesystem::path BuildProgramFolder();

}  // namespace testaudio
