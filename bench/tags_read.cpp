// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the ID3v1 and ID3v2 tags of every file named on the command line
// with the tag classes; "make TEMPLATE FOLDER COUNT" writes the test files.

#include "tags/classes/ID3v1.h"
#include "tags/classes/ID3v2.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

int Make(const fs::path& sample, const fs::path& folder, int count)
{
    for (int i = 0; i < count; ++i) {
        const fs::path file = folder / ("song " + std::to_string(i) + ".mp3");
        fs::copy_file(sample, file, fs::copy_options::overwrite_existing);
        TID3v2 v2;
        TID3v1 v1;
        if (!v2.Load(file) || !v1.Load(file))
            return 1;
        v2.SetTitle("Title number " + std::to_string(i));
        v1.SetTitle("Title number " + std::to_string(i));
        if (!v2.Save(file) || !v1.Save(file))
            return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "make")
        return Make(argv[2], argv[3], std::atoi(argv[4]));
    std::size_t characters = 0;
    for (int i = 1; i < argc; ++i) {
        TID3v2 v2;
        TID3v1 v1;
        v2.Load(argv[i]);
        v1.Load(argv[i]);
        characters += v2.Title().size() + v2.Artist().size() + v2.Album().size() + v1.Title().size() +
                      v1.Artist().size();
    }
    std::printf("%zu\n", characters);
    return 0;
}
