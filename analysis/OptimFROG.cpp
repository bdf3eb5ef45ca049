// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/OptimFROG.h"

#include "analysis/FileReader.h"

using namespace analysis;

void TOptimFrog::Clear()
{
    Header = {};
    ClearTags();
}

bool TOptimFrog::Load(const std::filesystem::path& path)
{
    Clear();
    // Opened first: the tag objects are not asked to open what is no file.
    const FileReader file(path);
    ID3v1.Load(path);
    ID3v2.Load(path);
    APEtag.Load(path);
    const Bytes header = file.Read(StreamStart(), Header.size());
    std::copy(header.begin(), header.end(), Header.begin());
    return StartsWith(header, "OFR ");
}
