// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormatAvailability.h"

#include "engine/FormatTable.h"

namespace app {

std::string FormatUnavailableReason(std::uint8_t format)
{
    if (format == engine::FormatOfr)
        return "No OptimFROG encoder is available on this platform";
    return {};
}

}  // namespace app
