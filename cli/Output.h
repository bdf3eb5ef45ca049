// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the verbs write what they found: plain lines or JSON Lines.

#include <QJsonObject>
#include <QJsonValue>
#include <filesystem>
#include <string>
#include <string_view>

namespace cli {

// Backslash and control characters as C escapes (\\, \n, \t, \r, \xHH), so
// a name keeps to its line and its tab-separated column and can be turned
// back into the same bytes; every other byte passes unchanged.
std::string Escaped(std::string_view text);

// The bytes as a JSON string: a sequence that is not UTF-8 becomes U+FFFD.
QJsonValue JsonText(std::string_view bytes);

// The object as one compact line on standard output.
void PrintJsonLine(const QJsonObject& object);

// A file that could not be shown or written: "NAME: reason" on the error
// stream, or {"file", "error"} on standard output with json. A message that
// already starts with the name keeps it once.
void ReportFileProblem(bool json, const std::filesystem::path& file, const std::string& message);

}  // namespace cli
