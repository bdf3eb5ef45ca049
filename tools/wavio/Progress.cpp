// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavio/Progress.h"

#include <algorithm>
#include <cstdio>

namespace wavio {

void Progress::Update(std::uint64_t done)
{
    if (total_ > 0)
        Print(int(std::min<std::uint64_t>(done * 100 / total_, 99)));  // 100 only once complete
}

void Progress::Finish()
{
    if (total_ > 0)
        Print(100);
}

void Progress::Print(int percent)
{
    if (quiet_ || percent <= shown_)
        return;
    shown_ = percent;
    std::printf("%d%%\n", percent);
    std::fflush(stdout);
}

}  // namespace wavio
