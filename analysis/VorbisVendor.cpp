// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/VorbisVendor.h"

#include <array>
#include <utility>

namespace analysis {
namespace {

#define EARLY "Xiphophorus libVorbis I "

constexpr std::array<std::pair<const char*, const char*>, 21> Releases = {{
    {EARLY "20000508", "1.0 beta 1 or beta 2"},
    {EARLY "20001031", "1.0 beta 3"},
    {EARLY "20010225", "1.0 beta 4"},
    {EARLY "20010615", "1.0 rc1"},
    {EARLY "20010813", "1.0 rc2"},
    {EARLY "20010816 (gtune 1)", "1.0 RC2 GT1"},
    {EARLY "20011014 (GTune 2)", "1.0 RC2 GT2"},
    {EARLY "20011217", "1.0 rc3"},
    {EARLY "20011231", "1.0 rc3"},
    {"Xiph.Org libVorbis I 20020717", "1.0"},
    {"Xiph.Org/Sjeng.Org libVorbis I 20020717 (GTune 3, beta 1)", "1.0 GT3b1"},
    {"Xiph.Org libVorbis I 20030308", "Post 1.0 CVS"},
    {"Xiph.Org libVorbis I 20030909 (1.0.1)", "1.0.1"},
    {"Xiph.Org libVorbis I 20030909", "1.0.1"},
    {"Xiph.Org/Sjeng.Org libVorbis I 20030909 (GTune 3, beta 2) EXPERIMENTAL", "Experimental GT3b2"},
    {"Xiph.Org libVorbis I 20031230 (1.0.1)", "Post 1.0.1 CVS"},
    {"Xiph.Org/Sjeng.Org libVorbis I 20031230 (GTune 3, beta 2)", "GT3b2"},
    {"AO; aoTuV b2 [20040420] (based on Xiph.Org's 1.0.1)", "1.0.1 aoTuV beta 2"},
    {"Xiph.Org libVorbis I 20040629", "1.1"},
    {"Xiph.Org libVorbis I 20040920", "1.1 with impulse_trigger_profile"},
    {"AO; aoTuV b3 [20041120] (based on Xiph.Org's libVorbis)", "1.1 aoTuV beta 3"},
}};

#undef EARLY

}  // namespace

std::string VorbisReleaseName(const std::string& vendor)
{
    for (const auto& [key, release] : Releases)
        if (vendor == key)
            return release;
    return vendor;
}

}  // namespace analysis
