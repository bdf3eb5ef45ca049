// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Report.h"

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

}  // namespace platform
