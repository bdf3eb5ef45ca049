// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Messages that lower layers report to the user: the desktop program shows
// them in a box, the command line prints them on standard error (the default).

#include <exception>
#include <functional>
#include <string>

namespace platform {

void ReportMessage(const std::string& text);

using ReportHandler = std::function<void(const std::string&)>;
// An empty handler restores printing on standard error.
void SetReportHandler(ReportHandler handler);

// An error's text for the user: a file system error becomes one sentence
// naming its path and the reason, not the library's own wording.
std::string UserText(const std::exception& error);

}  // namespace platform
