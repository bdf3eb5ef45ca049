// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Records every message box instead of showing it, for one test.

#include <vector>

#include "platform/ui/MessageBox.h"

namespace presettest {

class MessageRecorder {
public:
    MessageRecorder()
    {
        platform::SetMessageHandler([this](const platform::MessageRecord& record) {
            boxes.push_back(record);
            return platform::BoxAnswer::Ok;
        });
    }
    ~MessageRecorder() { platform::SetMessageHandler({}); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<platform::MessageRecord> boxes;
};

}  // namespace presettest
