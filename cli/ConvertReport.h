// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <filesystem>
#include <optional>
#include <string>

namespace cli {

// The per-file lines of a convert run: tab-separated text, or with json one
// object per input, written once the notes that follow its outcome are in.
class ConvertReport {
public:
    ConvertReport(bool json, bool verbose) : json_(json), verbose_(verbose) {}

    // status is OK, SKIPPED, FAILED or STOPPED; output or reason may be empty.
    void Outcome(const char* status, const std::filesystem::path& input, const std::string& output,
                 const std::string& reason);
    // A note on the last outcome; said without verbose too when always.
    void Note(const std::filesystem::path& input, const std::string& text, bool always = false);
    // Writes the object still waiting for notes.
    void Finish();

private:
    bool json_;
    bool verbose_;
    std::optional<QJsonObject> pending_;
    QJsonArray notes_;
};

}  // namespace cli
