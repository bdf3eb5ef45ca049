// SPDX-License-Identifier: GPL-3.0-or-later
#include "faac/AvError.h"

extern "C" {
#include <libavutil/error.h>
}

namespace faac {

std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace faac
