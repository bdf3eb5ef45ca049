// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The encoder programs of an archive, unpacked into a per-user folder where
// programs may run (the temporary folder is often mounted noexec) and kept
// there while the archive stays the same. Each archive gets a folder named
// after its fingerprint, filled under a temporary name and renamed into
// place whole. While a cache is open its folder is marked in use, so no
// other process removes it as outdated.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Descriptor.h"

namespace engine {

class EncoderCache {
public:
    EncoderCache() = default;
    EncoderCache(const EncoderCache&) = delete;
    EncoderCache& operator=(const EncoderCache&) = delete;

    // The places for the folders, best first: $XDG_CACHE_HOME/tremolix/encoders
    // (~/.cache/...), then $XDG_RUNTIME_DIR/tremolix/encoders.
    static std::vector<std::filesystem::path> Places();

    // Finds or unpacks the archive's folder in the first place that takes
    // it and marks it in use. False with Error() set when no place can run
    // programs, or with Error() empty when the archive cannot be read.
    bool Open(const std::filesystem::path& archive, const std::vector<std::filesystem::path>& places = Places());

    // The unpacked member, unpacked again should it have gone missing;
    // empty when the archive has no such member.
    std::filesystem::path Program(const std::string& member) const;

    const std::filesystem::path& Folder() const { return folder_; }
    const std::string& Error() const { return error_; }

private:
    bool OpenIn(const std::filesystem::path& place, const std::string& fingerprint);
    bool Unpack(const std::filesystem::path& place, const std::filesystem::path& folder);
    bool Refuse(const std::filesystem::path& place, const std::string& why);

    std::filesystem::path archive_;
    std::filesystem::path folder_;
    std::string error_;
    platform::Descriptor inUse_;
};

}  // namespace engine
