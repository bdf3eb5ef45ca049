// SPDX-License-Identifier: GPL-3.0-or-later
#include "InteropTools.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace interop {
namespace {

std::string Checked(const std::vector<std::string>& argv)
{
    std::string output;
    if (testaudio::Run(argv, &output) != 0)
        throw std::runtime_error(argv[0] + " failed: " + output);
    return output;
}

std::string Cli()
{
    return (testaudio::BuildProgramFolder() / "tremolix-cli").string();
}

// Values made comparable across formats: texts of frames, digests of bytes.
const char* const DumpScript =
    "import hashlib\n"
    "from mutagen._vorbis import VComment\n"
    "def norm(v):\n"
    "    if isinstance(v, (bytes, bytearray)):\n"
    "        return 'sha1:' + hashlib.sha1(bytes(v)).hexdigest()\n"
    "    if isinstance(v, list):\n"
    "        return '[' + ', '.join(norm(x) for x in v) + ']'\n"
    "    parts = [type(v).__name__]\n"
    "    for a in ('desc', 'lang', 'mime', 'type', 'owner', 'url', 'text', 'data', 'value'):\n"
    "        if hasattr(v, a) and not callable(getattr(v, a)):\n"
    "            x = getattr(v, a)\n"
    "            parts.append(a + '=' + (norm(x) if isinstance(x, (bytes, bytearray, list)) else str(x)))\n"
    "    return ' '.join(parts) if len(parts) > 1 else repr(v)\n"
    "f = mutagen.File(sys.argv[1])\n"
    "key = sys.argv[2].lower()\n"
    "if isinstance(f.tags, VComment):\n"
    "    items = [(k, v) for k, v in f.tags]\n"
    "else:\n"
    "    items = list(f.tags.items())\n"
    "lines = []\n"
    "for k, v in items:\n"
    "    if (k.lower() == key) == (sys.argv[3] == 'only'):\n"
    "        lines.append(k + ' ' + norm(v))\n"
    "for p in getattr(f, 'pictures', []):\n"
    "    lines.append('picture ' + norm(p))\n"
    "sys.stdout.buffer.write('\\n'.join(sorted(lines)).encode('utf-8'))\n";

std::string Dump(const fs::path& file, const std::string& key, const std::string& mode)
{
    std::string script = "import sys, mutagen\n";
    script += DumpScript;
    return Checked({"/usr/bin/python3", "-c", script, file.string(), key, mode});
}

}  // namespace

std::string Mutagen(const std::string& script, const fs::path& file)
{
    const std::string program =
        "import sys, mutagen, mutagen.id3 as id3, mutagen.flac, mutagen.mp4, mutagen.asf, mutagen.oggvorbis\n" +
        script;
    return Checked({"/usr/bin/python3", "-c", program, file.string()});
}

std::string MutagenPictures(const fs::path& file)
{
    return Mutagen(
        "import hashlib, base64, struct\n"
        "f = mutagen.File(sys.argv[1])\n"
        "out = []\n"
        "def add(t, m, d):\n"
        "    out.append('%d %s %s' % (t, m, hashlib.sha1(bytes(d)).hexdigest()))\n"
        "def wide(v, pos):\n"
        "    end = pos\n"
        "    while v[end:end + 2] != b'\\0\\0':\n"
        "        end += 2\n"
        "    return v[pos:end].decode('utf-16-le'), end + 2\n"
        "if isinstance(f, mutagen.flac.FLAC):\n"
        "    for p in f.pictures: add(p.type, p.mime, p.data)\n"
        "elif isinstance(f.tags, id3.ID3):\n"
        "    for p in f.tags.getall('APIC'): add(p.type, p.mime, p.data)\n"
        "elif isinstance(f, mutagen.mp4.MP4):\n"
        "    for c in f.tags.get('covr', []):\n"
        "        add(3, 'image/png' if c.imageformat == mutagen.mp4.MP4Cover.FORMAT_PNG else 'image/jpeg', c)\n"
        "elif isinstance(f, mutagen.asf.ASF):\n"
        "    for a in f.tags.get('WM/Picture', []):\n"
        "        v = a.value\n"
        "        size = struct.unpack_from('<I', v, 1)[0]\n"
        "        mime, pos = wide(v, 5)\n"
        "        desc, pos = wide(v, pos)\n"
        "        add(v[0], mime, v[pos:pos + size])\n"
        "else:\n"
        "    for b in (f.tags.get('metadata_block_picture', []) if f.tags else []):\n"
        "        p = mutagen.flac.Picture(base64.b64decode(b))\n"
        "        add(p.type, p.mime, p.data)\n"
        "sys.stdout.write(''.join(line + '\\n' for line in out))\n",
        file);
}

std::string Sha1(const fs::path& file)
{
    return Checked({"sha1sum", file.string()}).substr(0, 40);
}

std::string CliTags(const fs::path& file)
{
    return Checked({Cli(), "tags", file.string()});
}

std::string Lines(const TTAGInfo& info)
{
    std::string out;
    for (std::size_t i = 0; i < TagFieldNames.size(); ++i) {
        const std::vector<std::string> values = TagValues(info, i);
        if (values.empty())
            out += std::string(TagFieldNames[i]) + "=\n";
        for (const std::string& value : values)
            out += std::string(TagFieldNames[i]) + '=' + value + '\n';
    }
    return out;
}

int CliSet(const fs::path& file, const std::string& setting)
{
    return CliSet(file, std::vector<std::string>{setting});
}

int CliSet(const fs::path& file, const std::vector<std::string>& settings)
{
    std::vector<std::string> argv = {Cli(), "tags", file.string(), "--set"};
    argv.insert(argv.end(), settings.begin(), settings.end());
    return testaudio::Run(argv);
}

std::string MutagenDump(const fs::path& file, const std::string& key)
{
    return Dump(file, key, "without");
}

std::string MutagenValues(const fs::path& file, const std::string& key)
{
    return Dump(file, key, "only");
}

std::string ToolListing(const std::vector<std::string>& argv, const std::string& skip)
{
    std::istringstream in(Checked(argv));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (line.find(skip) == std::string::npos)
            lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines)
        out += line + '\n';
    return out;
}

std::string AudioMd5(const fs::path& file)
{
    // Only the digest line: a picture stream may make the decoder talk.
    const std::string output = Checked({"ffmpeg", "-v", "error", "-i", file.string(), "-map", "0:a", "-f", "md5", "-"});
    const std::size_t at = output.find("MD5=");
    return at == std::string::npos ? output : output.substr(at);
}

}  // namespace interop
