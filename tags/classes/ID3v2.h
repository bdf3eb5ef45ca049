// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ID3v2 tag at the start of a file: versions 2.2, 2.3 and 2.4 are read;
// a save keeps a 2.3 or 2.4 tag's version and makes a 2.2 tag, or a new one,
// 2.3. Twelve values are read from their frames; a save rewrites only the
// frames whose setter was called and keeps every other frame as it was (a
// 2.2 frame in its 2.3 form). Texts are UTF-8 in memory; the
// several values of a text frame are NUL-separated there.

#include <array>
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
    // Writes the values as an ID3v2.3 or 2.4 tag at the start of the file.
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

    // Each stores the text trimmed at both ends; its frame is rewritten
    // by the next save, and removed when the text is empty.
    void SetTitle(std::string_view text);
    void SetArtist(std::string_view text);
    void SetAlbum(std::string_view text);
    void SetTrack(std::uint16_t track);         // 0 for none
    // As it is to be stored, e.g. "5/12"; empty unless a number 1 to 65535 leads.
    void SetTrackText(std::string_view text);
    void SetYear(std::string_view text);
    void SetGenre(std::string_view text);
    void SetComment(std::string_view text);
    void SetComposer(std::string_view text);
    void SetEncodedBy(std::string_view text);
    void SetCopyright(std::string_view text);
    void SetLanguage(std::string_view text);
    void SetURL(std::string_view text);

private:
    struct StoredFrame {
        int owner = 0;            // index of the value read from it, 0 for none
        bool datePart = false;    // a date frame that a new year makes stale
        std::string bytes;        // the frame in the saved version, header and data; empty when not kept
    };

    void ReadFrames(std::string body, std::uint8_t flags);
    void Decode(const std::vector<std::string>& frames, const std::string& fallbackLink);
    void Set(int index, std::string& value, std::string_view text);
    std::string NewFrame(int index) const;
    std::string BuildFrames() const;

    bool exists_ = false;
    std::uint8_t version_ = 0;
    std::uint8_t saveVersion_ = 3;
    std::int32_t size_ = 0;
    std::string title_, artist_, album_;
    std::uint16_t track_ = 0;
    std::string trackText_, year_, genre_, comment_, composer_, encodedBy_, copyright_,
        language_, url_;
    // Every frame of the tag as read, in order.
    std::vector<StoredFrame> frames_;
    std::array<bool, 13> changed_{};  // setter called, by owned index 1 to 12
};
