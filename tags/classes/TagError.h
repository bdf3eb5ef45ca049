// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>

// A file error that the tag layer lets through to its caller, such as a file
// that cannot be opened where the reader passes that on.
class TagError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
