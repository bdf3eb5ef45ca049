// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Byte images and file helpers shared by the tag class tests.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace tagtest {

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
// A copy of the test MP3 (no tags) in the folder.
std::filesystem::path CopyTone(const testsupport::TempFolder& folder, const std::string& name = "song.mp3");
std::string ToneBytes();

// A 128-byte ID3v1 tag; texts are padded with pad.
std::string ID3v1(const std::string& title, const std::string& comment, unsigned char b125, unsigned char b126,
                  unsigned char genre, char pad = '\0');

std::string Frame23(const std::string& id, const std::string& data, std::uint8_t format = 0);
std::string Frame24(const std::string& id, const std::string& data, std::uint8_t format = 0);
std::string Frame22(const std::string& id, const std::string& data);
// "ID3", version, flags and the synchsafe size of body plus padding.
std::string ID3v2(std::uint8_t version, const std::string& body, std::size_t padding = 0, std::uint8_t flags = 0);

// Runs a program; returns its exit code and its output in *output.
int RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr);
// Runs python3 with mutagen on a script that gets the file as sys.argv[1].
std::string Mutagen(const std::string& script, const std::filesystem::path& file);

// The lines of a text, and the lines of a that b lacks.
std::vector<std::string> Lines(const std::string& text);
std::vector<std::string> Missing(const std::vector<std::string>& a, const std::vector<std::string>& b);

}  // namespace tagtest
