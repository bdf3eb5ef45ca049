// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/IniFile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

#include "support/TempFolder.h"

namespace fs = std::filesystem;
using platform::IniFile;

namespace {

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class IniFileTest : public ::testing::Test {
protected:
    testsupport::TempFolder folder;
    fs::path file = folder / "Options.ini";
};

TEST_F(IniFileTest, NamesMatchWithoutCaseAndValuesLoseBlanksAndQuotes)
{
    WriteText(file, "; comment\n[Options]\n  TargetFolder = /home/a b  \nQuoted=\"  x \"\n[Other]\nkey=2\n");
    const IniFile ini(file);
    EXPECT_EQ(ini.ReadString("options", "TARGETFOLDER", "d"), "/home/a b");
    EXPECT_EQ(ini.ReadString("OPTIONS", "quoted", "d"), "  x ");
    EXPECT_EQ(ini.ReadString("Options", "key", "d"), "d") << "a key of another section";
    EXPECT_EQ(ini.ReadString("Missing", "key", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("other", "KEY", 7), 2);
    EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Options", "Other"}));
    EXPECT_EQ(ini.Keys("OPTIONS"), (std::vector<std::string>{"TargetFolder", "Quoted"}));
}

TEST_F(IniFileTest, IntegersReadDecimalOrHexAndUnreadableGivesDefault)
{
    WriteText(file, "[N]\na=42\nb=0x1F\nc=0XfF\nd=-12\ne=12abc\nf=\ng=99999999999\nh=0xFFFFFFFF\ni=0x\nj= 8 \n");
    const IniFile ini(file);
    EXPECT_EQ(ini.ReadInteger("N", "a", 5), 42);
    EXPECT_EQ(ini.ReadInteger("N", "b", 5), 31);
    EXPECT_EQ(ini.ReadInteger("N", "c", 5), 255);
    EXPECT_EQ(ini.ReadInteger("N", "d", 5), -12);
    EXPECT_EQ(ini.ReadInteger("N", "e", 5), 5);
    EXPECT_EQ(ini.ReadInteger("N", "f", 5), 5);
    EXPECT_EQ(ini.ReadInteger("N", "g", 5), 5);
    EXPECT_EQ(ini.ReadInteger("N", "h", 5), -1);
    EXPECT_EQ(ini.ReadInteger("N", "i", 5), 5);
    EXPECT_EQ(ini.ReadInteger("N", "j", 5), 8);
    EXPECT_EQ(ini.ReadInteger("N", "missing", 5), 5);
    EXPECT_TRUE(ini.ReadBool("N", "a", false));
    EXPECT_FALSE(ini.ReadBool("N", "missing", false));
}

TEST_F(IniFileTest, WritingReplacesInPlaceAndKeepsEveryOtherLine)
{
    const std::string before =
        "; my settings\n[Options]\nTargetFolder=/old\n\n# keep me\nPrefix=x\n[PresetLists]\nPreset0=a\n";
    WriteText(file, before);
    IniFile ini(file);
    ini.WriteString("OPTIONS", "targetfolder", "/new");
    ini.WriteInteger("Options", "Column0", 250);
    ini.WriteString("Added", "Key", "v");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadText(file),
              "; my settings\n[Options]\nTargetFolder=/new\n\n# keep me\nPrefix=x\nColumn0=250\n"
              "[PresetLists]\nPreset0=a\n\n[Added]\nKey=v\n");
    EXPECT_EQ(IniFile(file).ReadInteger("Options", "Column0", 0), 250);
}

TEST_F(IniFileTest, WindowsLineEndsAndAMissingFinalBreakSurvive)
{
    WriteText(file, "[A]\r\nx=1\r\ny=2");
    IniFile ini(file);
    ini.WriteString("A", "x", "3");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadText(file), "[A]\r\nx=3\r\ny=2");
}

TEST_F(IniFileTest, ValuesWithBlanksOrQuotesAtTheirEndsReadBackAsWritten)
{
    const std::vector<std::string> values = {"1 ", " a", "\t", "\"x\"", "'y'", "a \"b\"", "plain", ""};
    IniFile ini(file);
    for (std::size_t i = 0; i < values.size(); ++i)
        ini.WriteString("Options", "Key" + std::to_string(i), values[i]);
    ASSERT_TRUE(ini.Save());
    const IniFile again(file);
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(again.ReadString("Options", "Key" + std::to_string(i), "?"), values[i]) << i;
    const std::string text = ReadText(file);
    EXPECT_NE(text.find("Key0=\"1 \"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Key5=a \"b\"\n"), std::string::npos) << "inner quotes stay bare";
    EXPECT_NE(text.find("Key6=plain\n"), std::string::npos) << "plain values stay unquoted for older readers";
}

TEST_F(IniFileTest, ValuesCannotAddLinesAndNothingIsWrittenBeforeSave)
{
    WriteText(file, "[A]\nx=1\n");
    IniFile ini(file);
    ini.WriteString("A", "x", "evil\n[A]\nx=2");
    EXPECT_EQ(ReadText(file), "[A]\nx=1\n");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(IniFile(file).ReadString("A", "x", ""), "evil [A] x=2");
    EXPECT_EQ(IniFile(file).Keys("A").size(), 1u);
}

TEST_F(IniFileTest, SaveCreatesTheFileAndLeavesNoTemporaryBehind)
{
    ASSERT_TRUE(IniFile::WriteInteger(file, "Options", "SaveTag", 1));
    ASSERT_TRUE(IniFile::WriteString(file, "Options", "Prefix", "%Album%"));
    EXPECT_EQ(ReadText(file), "[Options]\nSaveTag=1\nPrefix=%Album%\n");
    EXPECT_EQ(IniFile::ReadString(file, "options", "prefix", ""), "%Album%");
    EXPECT_EQ(IniFile::ReadInteger(file, "options", "savetag", 0), 1);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(IniFileTest, KeepsPermissionsAndFailsCleanlyWhereItCannotWrite)
{
    WriteText(file, "[A]\nx=1\n");
    ::chmod(file.c_str(), 0600);
    ASSERT_TRUE(IniFile::WriteString(file, "A", "x", "2"));
    struct stat info {};
    ::stat(file.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    EXPECT_FALSE(IniFile::WriteString(folder / "no-such-folder" / "x.ini", "A", "x", "1"));
    EXPECT_EQ(IniFile(folder.path()).ReadString("A", "x", "d"), "d") << "a folder reads as empty";
    EXPECT_EQ(IniFile(folder / "no-such-folder" / "x.ini").ReadString("A", "x", "d"), "d");
}

}  // namespace
