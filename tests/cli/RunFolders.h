// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A scratch folder for a command-line run: an input folder, a target and a
// private temporary folder, so a test sees everything a run leaves behind.

#include <filesystem>
#include <gtest/gtest.h>

#include "support/TempFolder.h"

class RunFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const std::filesystem::path& folder : {in(), target(), tmp()})
            std::filesystem::create_directories(folder);
    }

    std::filesystem::path in() const { return root_ / "in"; }
    std::filesystem::path target() const { return root_ / "out"; }
    std::filesystem::path tmp() const { return root_ / "tmp"; }

    testsupport::TempFolder root_;
};
