// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/EditedFile.h"

TEditedFile ReadEditedFile(const std::filesystem::path& path)
{
    TEditedFile file{path, {}, {}};
    ReadTagInfo(path, file.record);
    file.extras = extratags::ReadEditableExtras(path);
    return file;
}

std::string WriteEditedFile(const TEditedFile& file)
{
    if (std::string problem = WriteTagInfo(file.path, file.record); !problem.empty())
        return problem;
    return extratags::WriteEditableExtras(file.path, file.extras);
}
