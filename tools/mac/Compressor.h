// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Arguments.h"

namespace mac {

// Compresses the input WAV into the output file, printing "NN%" progress.
// Returns the exit code: 0 when the output is complete, 1 otherwise.
int Compress(const Arguments& arguments);

}  // namespace mac
