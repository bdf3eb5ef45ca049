// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/ID3v2Convert.h"

#include <cctype>
#include <string_view>
#include <utility>

namespace id3v2 {
namespace {

constexpr std::pair<std::string_view, std::string_view> IDs22To23[] = {
    // Frames iTunes added to 2.2: compilation, sort names, grouping, movement.
    {"TCP", "TCMP"}, {"TS2", "TSO2"}, {"TSA", "TSOA"}, {"TSC", "TSOC"}, {"TSP", "TSOP"}, {"TST", "TSOT"},
    {"GP1", "GRP1"}, {"MVN", "MVNM"}, {"MVI", "MVIN"},
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
    {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"},
    {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"},
    {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"},
    {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"},
    {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
    {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
    {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"},
    {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"},
    {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"},
    {"WPB", "WPUB"}, {"WXX", "WXXX"},
};

std::string MimeType(std::string_view format)
{
    std::string lower;
    for (const char c : format)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "jpg")
        return "image/jpeg";
    if (lower == "-->")
        return lower;
    return "image/" + lower;
}

}  // namespace

std::string V22ToV23(const Frame& frame)
{
    for (const auto& [id22, id23] : IDs22To23) {
        if (frame.id != id22)
            continue;
        if (id22 != "PIC")
            return MakeFrame(3, id23, frame.data);
        // The picture's 3-letter image format becomes a MIME type.
        if (frame.data.size() < 5)
            return {};
        return MakeFrame(3, id23,
                         frame.data.substr(0, 1) + MimeType(std::string_view(frame.data).substr(1, 3)) + '\0' +
                             frame.data.substr(4));
    }
    return {};
}

}  // namespace id3v2
