// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/WavOutputTags.h"

#include <taglib/infotag.h>
#include <taglib/wavfile.h>

#include "tags/Id3v2Saving.h"

namespace extratags {
namespace {

using TagLib::PropertyMap;

class WavOutput : public OutputTags {
public:
    explicit WavOutput(const std::filesystem::path& file) : file_(file.c_str(), false) {}
    bool Valid() { return file_.isValid(); }
    NumberStyle Numbering() const override { return {true, true}; }
    PropertyMap Values() override
    {
        return file_.hasID3v2Tag() ? file_.ID3v2Tag()->properties() : file_.InfoTag()->properties();
    }
    // INFO takes what it has fields for; the ID3v2 tag says what is lost.
    PropertyMap SetValues(const PropertyMap& values) override
    {
        file_.InfoTag()->setProperties(values);
        return file_.ID3v2Tag()->setProperties(values);
    }
    std::vector<std::string> SetPictures(const std::vector<TagPicture>& pictures) override
    {
        ReplaceId3v2Pictures(*file_.ID3v2Tag(), pictures);
        return {};
    }
    bool Save() override
    {
        return file_.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone,
                          Id3v2SaveVersion(*file_.ID3v2Tag(), file_.hasID3v2Tag()));
    }

private:
    TagLib::RIFF::WAV::File file_;
};

}  // namespace

std::unique_ptr<OutputTags> OpenWavOutputTags(const std::filesystem::path& file)
{
    auto output = std::make_unique<WavOutput>(file);
    if (!output->Valid())
        return nullptr;
    return output;
}

}  // namespace extratags
