#pragma once

// The ID3v2 tag at the start of a file: versions 2.2, 2.3 and 2.4 are read,
// 2.3 is written. Twelve text frames are owned by this class; every other
// frame of a 2.3 or 2.4 tag (pictures, lyrics, private data, the fallback
// frames) is kept through a save. Texts are UTF-8 in memory.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class TID3v2 {
public:
    TID3v2();

    void Clear();
    // False only when fewer than 10 bytes can be read from the file; a file
    // without a tag gives true with Exists() false.
    bool Load(const std::filesystem::path& file);
    // Writes the values as an ID3v2.3 tag at the start of the file.
    bool Save(const std::filesystem::path& file);

    bool Exists() const { return exists_; }
    std::uint8_t Version() const { return version_; }  // major version byte
    // Whole tag size, header included; 0 when there is none or it is unusable.
    // This is where the audio data starts.
    std::int32_t Size() const { return size_; }

    const std::string& Title() const { return title_; }
    const std::string& Artist() const { return artist_; }
    const std::string& Album() const { return album_; }
    std::uint16_t Track() const { return track_; }
    const std::string& TrackText() const { return trackText_; }  // as stored, e.g. "5/12"
    const std::string& Year() const { return year_; }
    const std::string& Genre() const { return genre_; }
    const std::string& Comment() const { return comment_; }
    const std::string& Composer() const { return composer_; }
    const std::string& EncodedBy() const { return encodedBy_; }
    const std::string& Copyright() const { return copyright_; }
    const std::string& Language() const { return language_; }
    const std::string& URL() const { return url_; }

    // Each stores the text trimmed at both ends.
    void SetTitle(std::string_view text);
    void SetArtist(std::string_view text);
    void SetAlbum(std::string_view text);
    void SetTrack(std::uint16_t track) { track_ = track; }
    void SetYear(std::string_view text);
    void SetGenre(std::string_view text);
    void SetComment(std::string_view text);
    void SetComposer(std::string_view text);
    void SetEncodedBy(std::string_view text);
    void SetCopyright(std::string_view text);
    void SetLanguage(std::string_view text);
    void SetURL(std::string_view text);

private:
    struct KeptFrame {
        int owner = 0;      // index of the owned frame it stands in for, 0 for none
        std::string bytes;  // a whole ID3v2.3 frame, header and data
    };

    void ReadFrames(std::string body, std::uint8_t flags);
    void Decode(const std::vector<std::string>& frames);
    std::string BuildFrames() const;

    bool exists_ = false;
    std::uint8_t version_ = 0;
    std::int32_t size_ = 0;
    std::string title_, artist_, album_;
    std::uint16_t track_ = 0;
    std::string trackText_, year_, genre_, comment_, composer_, encodedBy_, copyright_,
        language_, url_;
    // Frames written back as they were: those not owned here, and owned
    // ones that could not be decoded (used while the value stays empty).
    std::vector<KeptFrame> keptFrames_;
};
