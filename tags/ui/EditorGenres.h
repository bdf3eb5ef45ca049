// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The genre names the tag editor offers: the ID3v1 table in its order, with
// seven rows given their long or corrected spelling.

#include <QStringList>

QStringList EditorGenreNames();
