// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An encoder inside the process, taking the decoded PCM as the decoder
// delivers it.

#include <cstddef>
#include <cstdint>

namespace engine {

class PcmSink {
public:
    virtual ~PcmSink() = default;
    virtual bool Write(const std::uint8_t* data, std::size_t bytes) = 0;
    // Finishes the file; false when it could not be completed.
    virtual bool Close() = 0;
};

}  // namespace engine
