// SPDX-License-Identifier: GPL-3.0-or-later
// tremolix-cli tags FILE... [--set Field=value ...] [--picture FILE]
// [--remove-picture]: the unified tag record and the front cover.

#include <QJsonArray>
#include <QJsonObject>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>

#include "cli/FileArguments.h"
#include "cli/Output.h"
#include "cli/TagsReplayGain.h"
#include "cli/Verb.h"
#include "tags/EditableExtras.h"
#include "tags/TagInfo.h"

namespace fs = std::filesystem;

namespace {

int FieldIndex(const std::string& name)
{
    for (std::size_t i = 0; i < TagFieldNames.size(); ++i)
        if (name == TagFieldNames[i])
            return int(i);
    return -1;
}

int SettingField(const std::string& setting)
{
    const auto eq = setting.find('=');
    return eq == std::string::npos ? -1 : FieldIndex(setting.substr(0, eq));
}

// Field=value pairs into the record, a field named again adding a value
// ("Artist=A Artist=B"); false with the reason on a bad one.
bool ApplySettings(const std::vector<std::string>& settings, TTAGInfo& info, std::string& problem)
{
    std::map<std::size_t, std::vector<std::string>> values;
    for (const auto& setting : settings) {
        if (setting == "--set")
            continue;
        const int index = SettingField(setting);
        if (index < 0) {
            problem = "unknown field in " + setting + " (fields: Track Title Artist Album Year Comment "
                      "Genre Composer EncodedBy Copyright Language URL)";
            return false;
        }
        values[std::size_t(index)].push_back(setting.substr(setting.find('=') + 1));
    }
    for (auto& [index, list] : values)
        SetTagValues(info, index, std::move(list));
    return true;
}

// The picture --picture names, as a front cover; none with the reason when
// it is no JPEG, PNG, GIF or BMP file.
std::optional<extratags::TagPicture> ReadCover(const std::string& file, std::string& problem)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    extratags::TagPicture picture;
    picture.data = TagLib::ByteVector(bytes.data(), unsigned(bytes.size()));
    picture.mime = extratags::SniffMime(picture.data);
    if (!in.is_open() || picture.mime.empty()) {
        problem = "--picture " + file + ": not a JPEG, PNG, GIF or BMP picture that can be read";
        return std::nullopt;
    }
    return picture;
}

bool ChangesPictures(const cli::FileArguments& arguments)
{
    return !arguments.picture.empty() || arguments.removePicture;
}

// What is wrong with the arguments as a whole; empty when they make a run.
std::string ArgumentsProblem(const cli::FileArguments& arguments)
{
    if (arguments.files.empty())
        return "no FILE given";
    // A Field=value that names no file is a setting whose --set was left out.
    for (const std::string& file : arguments.files) {
        std::error_code ec;
        if (SettingField(file) >= 0 && !fs::exists(file, ec))
            return "expected --set after FILE, got \"" + file + "\"";
    }
    if (arguments.set && arguments.settings.empty())
        return "--set needs at least one Field=value";
    TTAGInfo checked;
    std::string problem;
    if (ApplySettings(arguments.settings, checked, problem) && !arguments.picture.empty())
        ReadCover(arguments.picture, problem);
    return problem;
}

// One value as a string, several as an array of strings.
QJsonValue JsonValues(const std::vector<std::string>& values)
{
    if (values.size() <= 1)
        return cli::JsonText(values.empty() ? std::string() : values.front());
    QJsonArray list;
    for (const std::string& value : values)
        list.append(cli::JsonText(value));
    return list;
}

// With several files each block starts with the file's own line.
void Print(const cli::FileArguments& arguments, const std::string& file, const TTAGInfo& info)
{
    if (arguments.json) {
        QJsonObject tags;
        for (std::size_t i = 0; i < TagFieldNames.size(); ++i)
            tags.insert(TagFieldNames[i], JsonValues(TagValues(info, i)));
        cli::PrintJsonLine({{"file", cli::JsonText(file)}, {"tags", tags}});
        return;
    }
    if (arguments.files.size() > 1)
        std::cout << "File=" << cli::Escaped(file) << '\n';
    // Values as stored, a newline in a comment included: the form scripts
    // read. A field with several values prints a line for each.
    for (std::size_t i = 0; i < TagFieldNames.size(); ++i) {
        const std::vector<std::string> values = TagValues(info, i);
        if (values.empty())
            std::cout << TagFieldNames[i] << "=\n";
        for (const std::string& value : values)
            std::cout << TagFieldNames[i] << '=' << value << '\n';
    }
}

// All pictures go first, then the new front cover comes in.
std::string WritePictures(const cli::FileArguments& arguments, const std::optional<extratags::TagPicture>& cover,
                          const std::string& file)
{
    extratags::EditableExtras extras = extratags::ReadEditableExtras(file);
    if (arguments.removePicture)
        extras.pictures.clear();
    if (cover)
        extratags::SetFrontCover(extras, *cover);
    return extratags::WriteEditableExtras(file, extras);
}

// Prints the record, or writes the settings and pictures into it; why not,
// naming the file.
std::string ShowOrSet(const cli::FileArguments& arguments, const std::optional<extratags::TagPicture>& cover,
                      const std::string& file)
{
    if (std::string problem = TagFileProblem(file); !problem.empty())
        return problem;
    try {
        TTAGInfo info;
        ReadTagInfo(file, info);
        if (!arguments.set && !ChangesPictures(arguments)) {
            Print(arguments, file, info);
            return {};
        }
        std::string problem;
        ApplySettings(arguments.settings, info, problem);
        problem = WriteTagInfo(file, info);
        if (problem.empty() && ChangesPictures(arguments))
            problem = WritePictures(arguments, cover, file);
        if (problem.empty() && arguments.json)
            cli::PrintJsonLine({{"file", cli::JsonText(file)}, {"written", true}});
        return problem;
    } catch (const std::exception& error) {
        return error.what();
    }
}

int Tags(const std::vector<std::string>& args)
{
    if (cli::AsksForGainTags(args))
        return cli::WriteGainTagsVerb(args);
    cli::FileArguments arguments;
    std::string problem;
    if (!cli::ParseFileArguments(args, true, arguments, problem) ||
        !(problem = ArgumentsProblem(arguments)).empty())
        return cli::UsageError("tags", problem);
    std::optional<extratags::TagPicture> cover;
    if (!arguments.picture.empty())
        cover = ReadCover(arguments.picture, problem);
    int status = cli::ExitOk;
    for (const std::string& file : arguments.files) {
        if (problem = ShowOrSet(arguments, cover, file); !problem.empty()) {
            cli::ReportFileProblem(arguments.json, file, problem);
            status = cli::ExitFailed;
        }
    }
    return status;
}

const cli::VerbRegistration registration(
    {"tags", "[--json] FILE... [--set Field=value ...] [--picture IMAGE] [--remove-picture] | [--json] --replaygain track|album FOLDER|FILE...",
     "  Shows the tag record of each FILE as Field=value lines; with several files each\n"
     "  block starts with a File=NAME line. A file that cannot be read or written gets its\n"
     "  own line on the error stream; the others go on, and the exit status is 1.\n"
     "  --set Field=value ...  writes these values into every FILE, changing only the\n"
     "                         fields whose value differs; fields: Track Title Artist\n"
     "                         Album Year Comment Genre Composer EncodedBy Copyright\n"
     "                         Language URL\n"
     "  --picture IMAGE        makes the JPEG, PNG, GIF or BMP file the front cover of\n"
     "                         every FILE, in place of its front covers\n"
     "  --remove-picture       removes every picture of every FILE (before --picture)\n"
     "  --json                 one JSON object per file instead: file and tags, file and\n"
     "                         written after a change, or file and error\n"
     "  --replaygain MODE      measures each FILE, and each file below each FOLDER, and\n"
     "                         writes its ReplayGain 2.0 track values (R128 for Opus), with\n"
     "                         album also its album's: the files of one folder that share\n"
     "                         album artist (or artist) and album; one line a file with\n"
     "                         the measures (\"silent: no gain\" where nothing is written)\n"
     "  --                     every later argument is a FILE, even one beginning with \"-\"\n",
     Tags, true});

}  // namespace
