// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the encoder archive: a standard ZIP whose members keep their Unix
// file mode, so an extracted encoder stays executable.
//   tremolix-pack ARCHIVE MEMBER=FILE...

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <zip.h>

namespace {

bool AddMember(zipFile archive, const std::string& member, const std::string& file)
{
    struct stat info {};
    std::ifstream in(file, std::ios::binary);
    if (!in || stat(file.c_str(), &info) != 0) {
        std::cerr << "tremolix-pack: cannot read " << file << '\n';
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    zip_fileinfo fileInfo {};
    fileInfo.tmz_date.tm_mday = 1;
    fileInfo.tmz_date.tm_year = 1980;
    fileInfo.external_fa = static_cast<uLong>(info.st_mode & 0xFFFF) << 16;
    const int madeByUnix = (3 << 8) | 20;
    if (zipOpenNewFileInZip4_64(archive, member.c_str(), &fileInfo, nullptr, 0, nullptr, 0, nullptr,
                                Z_DEFLATED, 9, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0,
                                madeByUnix, 0, 0) != ZIP_OK)
        return false;
    const bool written = zipWriteInFileInZip(archive, bytes.data(), unsigned(bytes.size())) == ZIP_OK;
    return zipCloseFileInZip(archive) == ZIP_OK && written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: tremolix-pack ARCHIVE MEMBER=FILE...\n";
        return 2;
    }
    const std::string target = argv[1];
    const std::string partial = target + "~";
    zipFile archive = zipOpen64(partial.c_str(), APPEND_STATUS_CREATE);
    if (!archive)
        return 1;
    bool ok = true;
    for (int i = 2; i < argc && ok; ++i) {
        const std::string spec = argv[i];
        const auto eq = spec.find('=');
        ok = eq != std::string::npos && AddMember(archive, spec.substr(0, eq), spec.substr(eq + 1));
    }
    ok = zipClose(archive, nullptr) == ZIP_OK && ok;
    if (!ok || std::rename(partial.c_str(), target.c_str()) != 0) {
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}
