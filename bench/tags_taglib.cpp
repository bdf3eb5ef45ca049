// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the ID3v1 and ID3v2 tags of every file named on the command line
// with TagLib, for comparison with tags_read.cpp.

#include <cstdio>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

int main(int argc, char** argv)
{
    std::size_t characters = 0;
    for (int i = 1; i < argc; ++i) {
        TagLib::MPEG::File file(argv[i], false);
        if (TagLib::ID3v2::Tag* v2 = file.ID3v2Tag())
            characters += v2->title().to8Bit(true).size() + v2->artist().to8Bit(true).size() +
                          v2->album().to8Bit(true).size();
        if (TagLib::ID3v1::Tag* v1 = file.ID3v1Tag())
            characters += v1->title().to8Bit(true).size() + v1->artist().to8Bit(true).size();
    }
    std::printf("%zu\n", characters);
    return 0;
}
