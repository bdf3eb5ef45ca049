// SPDX-License-Identifier: GPL-3.0-or-later
// Where tremolix-cli convert runs its encoders from: the user's cache
// folder, whatever the temporary folder allows, and one sentence naming
// that folder when it cannot take them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/CliProcess.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"
#include "support/TmpfsMount.h"

namespace fs = std::filesystem;

namespace {

class EncoderFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(target());
        std::ofstream(root_ / "a file") << "not a folder";
    }

    fs::path target() const { return root_ / "out"; }

    // Converts a tone to MP3 with TMPDIR as given; the exit code.
    int Convert(const fs::path& tmpdir)
    {
        const fs::path input = root_ / "tone.flac";
        fs::copy_file(testaudio::Get("tone.flac"), input, fs::copy_options::overwrite_existing);
        CliProcess cli({"convert", "--format", "MP3", "--preset", "CBR 128 kbps", "--target", target().string(),
                        "--when-exists", "overwrite", "--", input.string()},
                       tmpdir, root_.path(), root_ / "log");
        const int code = cli.Wait();
        output_ = cli.Output();
        return code;
    }

    // The one unpacked lame.exe.
    fs::path Lame() const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(root_ / "cache" / "tremolix" / "encoders"))
            if (entry.path().filename().string().rfind("archive-", 0) == 0)
                found.push_back(entry.path() / "lame.exe");
        EXPECT_EQ(found.size(), 1u);
        return found.empty() ? fs::path() : found.front();
    }

    testsupport::TempFolder root_;
    std::string output_;
    const testsupport::ScopedEnv cache_{"XDG_CACHE_HOME", (root_ / "cache").c_str()};
    const testsupport::ScopedEnv runtime_{"XDG_RUNTIME_DIR", nullptr};
};

}  // namespace

TEST_F(EncoderFolder, EncodersRunWhereTheTemporaryFolderCannotHoldOrRunPrograms)
{
    // A TMPDIR that is a file can hold nothing at all.
    EXPECT_EQ(Convert(root_ / "a file"), 0) << output_;
    EXPECT_EQ(output_.rfind("OK\t", 0), 0u) << output_;
    EXPECT_TRUE(fs::is_regular_file(Lame()));

    const testsupport::TmpfsMount noexec(root_ / "noexec", MS_NOEXEC);
    if (!noexec.Mounted())
        GTEST_SKIP() << "cannot mount a noexec file system here (needs root)";
    EXPECT_EQ(Convert(root_ / "noexec"), 0) << output_;
    EXPECT_EQ(output_.rfind("OK\t", 0), 0u) << output_;
    EXPECT_TRUE(fs::is_empty(root_ / "noexec"));
}

TEST_F(EncoderFolder, ACacheFolderThatCannotTakeTheEncodersIsOneSentence)
{
    const fs::path tmp = root_ / "tmp";
    fs::create_directories(tmp);
    const testsupport::ScopedEnv blocked("XDG_CACHE_HOME", (root_ / "a file").c_str());
    EXPECT_EQ(Convert(tmp), 2);
    EXPECT_EQ(output_, "Cannot unpack the encoders into \"" + (root_ / "a file" / "tremolix" / "encoders").string() +
                           "\": Not a directory\n");
    EXPECT_TRUE(fs::is_empty(target()));
}
