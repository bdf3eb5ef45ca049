// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace analysis {

// The release name of the Vorbis library that wrote a vendor string; an
// unknown vendor string is given back unchanged.
std::string VorbisReleaseName(const std::string& vendor);

}  // namespace analysis
