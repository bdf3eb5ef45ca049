// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Report.h"

#include <filesystem>
#include <iostream>

namespace platform {
namespace {

ReportHandler& Handler()
{
    static ReportHandler handler;
    return handler;
}

}  // namespace

void ReportMessage(const std::string& text)
{
    if (Handler())
        Handler()(text);
    else
        std::cerr << text << '\n';
}

void SetReportHandler(ReportHandler handler) { Handler() = std::move(handler); }

std::string UserText(const std::exception& error)
{
    const auto* fileError = dynamic_cast<const std::filesystem::filesystem_error*>(&error);
    if (!fileError)
        return error.what();
    if (fileError->path1().empty())
        return "A file operation failed: " + fileError->code().message();
    return "Cannot use \"" + fileError->path1().string() + "\": " + fileError->code().message();
}

}  // namespace platform
