// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Progress as "NN%" lines on standard output, one per whole percent. With
// no total (an input of unknown length) nothing is printed at all.

#include <cstdint>

namespace wavio {

class Progress {
public:
    Progress(std::uint64_t total, bool quiet) : total_(total), quiet_(quiet) {}

    void Update(std::uint64_t done);
    void Finish();

private:
    void Print(int percent);

    std::uint64_t total_;
    bool quiet_;
    int shown_ = -1;
};

}  // namespace wavio
