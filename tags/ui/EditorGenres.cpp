// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/ui/EditorGenres.h"

#include <utility>

#include "tags/classes/ID3v1.h"

namespace {

const std::pair<int, const char*> DifferingRows[] = {
    {40, "Alternative Rock"}, {64, "Native US"},      {118, "Rhytmic Soul"}, {123, "Acapella"},
    {136, "Christian Gangsta"}, {140, "Contemporary C"}, {147, "SynthPop"},
};

}  // namespace

QStringList EditorGenreNames()
{
    QStringList names;
    for (const char* name : GenreNames)
        names << QString::fromUtf8(name);
    for (const auto& [row, name] : DifferingRows)
        names[row] = QString::fromUtf8(name);
    return names;
}
