// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QProgressBar;

namespace appui {

// The percentage bars of the progress windows: a gradient fill, 0 to 100.
void MakeGradientBar(QProgressBar* bar, int initialPercent);

}  // namespace appui
