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
    ID3v1.Load(path);
    ID3v2.Load(path);
    APEtag.Load(path);
    const FileReader file(path);
    const Bytes header = file.Read(StreamStart(), Header.size());
    std::copy(header.begin(), header.end(), Header.begin());
    return StartsWith(header, "OFR ");
}
