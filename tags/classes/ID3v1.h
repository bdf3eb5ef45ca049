// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The 128-byte ID3v1 tag (1.0 and 1.1) at the end of a file, with the
// Lyrics3 version 2 block that may stand right before it. Texts are UTF-8
// in memory and ISO-8859-1 on disk ("?" for characters outside it).

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

constexpr int GenreCount = 148;
// The ID3v1 genre table, index 0 to 147.
extern const std::array<const char*, GenreCount> GenreNames;

// Index of the first row equal to name, letter case ignored; 255 when none.
std::uint8_t GenreIndex(std::string_view name);

class TID3v1 {
public:
    static constexpr std::uint8_t NoGenre = 255;

    TID3v1();

    void Clear();
    // False only when the file cannot be opened or read; a file without a
    // tag gives true with Exists() false.
    bool Load(const std::filesystem::path& file);
    // Replaces the ID3v1 tag and Lyrics3 block at the end of the file.
    bool Save(const std::filesystem::path& file);
    // Removes the ID3v1 tag and the Lyrics3 block from the end of the file.
    bool Strip(const std::filesystem::path& file);

    bool Exists() const { return exists_; }
    std::uint8_t Version() const { return version_; }  // 1 = ID3v1.0, 2 = ID3v1.1

    // Long forms when set, else the short fields.
    std::string Title() const;
    std::string Artist() const;
    std::string Album() const;
    std::string Comment() const;
    const std::string& Year() const { return year_; }
    std::uint8_t Track() const { return track_; }
    std::string TrackText() const;  // empty for track 0
    std::uint8_t GenreID() const { return genreId_; }
    std::string Genre() const;      // empty for an index of 148 or more

    // Right-trimmed; a text of 31 characters or more also becomes the long form.
    void SetTitle(std::string_view text);
    void SetArtist(std::string_view text);
    void SetAlbum(std::string_view text);
    void SetComment(std::string_view text);
    void SetYear(std::string_view text);  // first 4 characters
    void SetTrack(std::uint8_t track) { track_ = track; }
    // The low byte of the number before any "/" ("5/12" gives 5); 0 when it is none.
    void SetTrackText(std::string_view text);
    void SetGenreID(std::uint8_t id) { genreId_ = id; }
    void SetGenre(std::string_view name);  // by GenreIndex of the right-trimmed name

    // Lyrics3 block.
    bool Lyrics3Exists() const { return lyrics3Exists_; }
    std::int32_t Lyrics3Size() const { return lyrics3Size_; }
    std::int32_t Lyrics3TotalSize() const { return lyrics3Size_ > 0 ? lyrics3Size_ + 15 : 0; }
    const std::string& ExtTitle() const { return extTitle_; }
    const std::string& ExtArtist() const { return extArtist_; }
    const std::string& ExtAlbum() const { return extAlbum_; }
    const std::string& ExtComment() const { return extComment_; }
    const std::string& ImageLink() const { return imageLink_; }
    const std::string& Author() const { return author_; }
    const std::string& Lyrics() const { return lyrics_; }
    void SetImageLink(std::string_view text) { imageLink_ = text; }
    void SetAuthor(std::string_view text) { author_ = text; }
    void SetLyrics(std::string_view text) { lyrics_ = text; }

private:
    void ReadFields(const std::string& tag);
    void ReadLyrics3Fields(const std::string& block);
    std::string BuildLyrics3() const;
    std::string BuildTag() const;
    // Puts tags in place of the file's ID3v1 tag and Lyrics3 block.
    static bool Replace(const std::filesystem::path& file, std::string tags);

    bool exists_ = false;
    std::uint8_t version_ = 1;
    std::string title_, artist_, album_, year_, comment_;
    std::uint8_t track_ = 0;
    std::uint8_t genreId_ = NoGenre;
    bool lyrics3Exists_ = false;
    std::int32_t lyrics3Size_ = 0;
    std::string extTitle_, extArtist_, extAlbum_, extComment_;
    std::string imageLink_, author_, lyrics_;
};
