// SPDX-License-Identifier: GPL-3.0-or-later
// --json output of probe, tags and convert, parsed back.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <fstream>

#include "cli/CliRunner.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

// A newline and a byte that is not UTF-8: JSON must still come out valid.
const std::string OddName = "odd\nname\xff.mp3";

QString JsonName(const fs::path& path)
{
    return QString::fromUtf8(path.string()).replace(QChar(0xff), QChar(0xfffd));
}

// Every line of the output as an object; a line that does not parse fails.
std::vector<QJsonObject> Objects(const std::string& output)
{
    std::vector<QJsonObject> objects;
    for (std::size_t start = 0, end; start < output.size(); start = end + 1) {
        end = output.find('\n', start);
        EXPECT_NE(end, std::string::npos) << "last line unterminated";
        const QByteArray line = QByteArray::fromStdString(output.substr(start, end - start));
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        EXPECT_TRUE(document.isObject()) << line.toStdString();
        objects.push_back(document.object());
        if (end == std::string::npos)
            break;
    }
    return objects;
}

fs::path Copy(const std::string& sample, const fs::path& to)
{
    fs::copy_file(testaudio::Get(sample), to);
    return to;
}

}  // namespace

TEST(JsonLines, ProbeGivesAnObjectPerFileAndOddNamesStayValid)
{
    testsupport::TempFolder folder;
    const fs::path odd = Copy("tone.mp3", folder / OddName);
    const fs::path missing = folder / "gone.ogg";
    const CliStreams result = RunCliStreams({"probe", "--json", odd.string(), missing.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "");
    const auto objects = Objects(result.out);
    ASSERT_EQ(objects.size(), 2u) << result.out;
    const QJsonObject& probed = objects[0];
    EXPECT_EQ(probed["file"].toString(), JsonName(odd));
    EXPECT_TRUE(probed["file"].toString().contains(QChar(0xfffd)));
    EXPECT_EQ(probed["format"].toString(), "MPEG Layer-3");
    EXPECT_EQ(probed["channels"].toInt(), 2);
    EXPECT_EQ(probed["sampleRate"].toInt(), 44100);
    EXPECT_NEAR(probed["duration"].toDouble(), std::stod(testaudio::Probe(odd, "duration")), 0.06);
    EXPECT_EQ(probed["size"].toInteger(), qint64(fs::file_size(odd)));
    EXPECT_GT(probed["bitrate"].toInt(), 100);
    EXPECT_EQ(objects[1], (QJsonObject{{"file", JsonName(missing)}, {"error", "no such file"}}));
}

TEST(JsonLines, ProbeNamesAnAppleLosslessM4aByItsCodec)
{
    testsupport::TempFolder folder;
    const fs::path source = testaudio::Get("stereo.wav");
    const fs::path alac = folder / "alac.m4a";
    const fs::path aac = folder / "aac.m4a";
    for (const auto& [output, codec] : {std::pair{alac, "alac"}, std::pair{aac, "aac"}})
        testaudio::Run({"ffmpeg", "-nostdin", "-v", "error", "-i", source.string(), "-c:a", codec, output.string()});
    const CliStreams result = RunCliStreams({"probe", "--json", alac.string(), aac.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto objects = Objects(result.out);
    ASSERT_EQ(objects.size(), 2u) << result.out;
    EXPECT_EQ(objects[0]["format"].toString(), "Apple Lossless");
    EXPECT_EQ(objects[1]["format"].toString(), "MPEG-4/AAC");
}

TEST(JsonLines, TagsShowsReadsAndWrites)
{
    testsupport::TempFolder folder;
    const fs::path odd = Copy("tone.mp3", folder / OddName);
    const fs::path flac = Copy("tone.flac", folder / "b.flac");
    const fs::path wav = Copy("stereo.wav", folder / "c.wav");
    const CliStreams written =
        RunCliStreams({"tags", "--json", odd.string(), wav.string(), flac.string(), "--set", "Title=\"Ä\"\t1"});
    EXPECT_EQ(written.exitCode, 1);
    const auto writes = Objects(written.out);
    ASSERT_EQ(writes.size(), 3u) << written.out;
    EXPECT_EQ(writes[0], (QJsonObject{{"file", JsonName(odd)}, {"written", true}}));
    EXPECT_EQ(writes[1]["file"].toString(), JsonName(wav));
    EXPECT_FALSE(writes[1]["error"].toString().isEmpty());
    EXPECT_EQ(writes[2], (QJsonObject{{"file", JsonName(flac)}, {"written", true}}));

    const CliStreams shown = RunCliStreams({"tags", odd.string(), flac.string(), "--json"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    const auto records = Objects(shown.out);
    ASSERT_EQ(records.size(), 2u) << shown.out;
    for (const QJsonObject& record : records) {
        const QJsonObject tags = record["tags"].toObject();
        EXPECT_EQ(tags.size(), 12);
        EXPECT_EQ(tags["Title"].toString(), QString::fromUtf8("\"Ä\"\t1"));
        EXPECT_EQ(tags["Artist"].toString(), "");
    }
    EXPECT_EQ(records[0]["file"].toString(), JsonName(odd));
}

TEST(JsonLines, ConvertGivesEachInputItsOutcomeAndNotes)
{
    testsupport::TempFolder folder;
    const fs::path mono = Copy("mono22050.wav", folder / "low\nrate.wav");
    const fs::path junk = folder / "junk.wav";
    std::ofstream(junk) << "not audio at all";
    const fs::path target = folder / "out";
    const CliStreams result =
        RunCliStreams({"convert", "--json", "--format", "MPC (Musepack)", "--preset", "Standard (about 180 kbps)",
                       "--target", target.string(), mono.string(), junk.string()});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    const auto objects = Objects(result.out);
    ASSERT_EQ(objects.size(), 2u) << result.out;
    EXPECT_EQ(objects[0]["input"].toString(), JsonName(mono));
    EXPECT_EQ(objects[0]["status"].toString(), "OK");
    EXPECT_EQ(objects[0]["output"].toString(), JsonName(target / "low\nrate.mpc"));
    EXPECT_TRUE(fs::exists(target / "low\nrate.mpc"));
    const QJsonArray notes = objects[0]["notes"].toArray();
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].toString().startsWith("resampled from 22050 Hz to 32000 Hz")) << notes[0].toString().toStdString();
    EXPECT_EQ(objects[1]["input"].toString(), JsonName(junk));
    EXPECT_EQ(objects[1]["status"].toString(), "FAILED");
    EXPECT_FALSE(objects[1]["reason"].toString().isEmpty());
    EXPECT_FALSE(objects[1].contains("output"));
    EXPECT_EQ(objects[1]["notes"].toArray().size(), 0);
}
