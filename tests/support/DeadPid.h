// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

namespace testsupport {

// A pid that no process has: a child that has been reaped.
pid_t DeadPid();

}  // namespace testsupport
