// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ConvertReport.h"

#include <iostream>

#include "cli/Output.h"

namespace cli {
namespace {

// Lines go out at once: a script may follow a long run as it goes.
void PrintLine(const std::string& status, const std::filesystem::path& input, const std::string& rest)
{
    std::cout << status << '\t' << Escaped(input.string()) << rest << std::endl;
}

}  // namespace

void ConvertReport::Outcome(const char* status, const std::filesystem::path& input, const std::string& output,
                            const std::string& reason)
{
    if (!json_) {
        std::string rest;
        for (const std::string* field : {&output, &reason})
            if (!field->empty())
                rest.append("\t").append(Escaped(*field));
        PrintLine(status, input, rest);
        return;
    }
    Finish();
    QJsonObject object{{"input", JsonText(input.string())}, {"status", status}};
    if (!output.empty())
        object.insert("output", JsonText(output));
    if (!reason.empty())
        object.insert("reason", JsonText(reason));
    pending_ = object;
}

void ConvertReport::Note(const std::filesystem::path& input, const std::string& text, bool always)
{
    if (json_ && pending_)
        notes_.append(JsonText(text));
    else if (json_)
        PrintJsonLine(QJsonObject{{"input", JsonText(input.string())}, {"note", JsonText(text)}});
    else if (verbose_ || always)
        PrintLine("NOTE", input, "\t" + Escaped(text));
}

void ConvertReport::Finish()
{
    if (!pending_)
        return;
    pending_->insert("notes", notes_);
    PrintJsonLine(*pending_);
    std::cout.flush();
    pending_.reset();
    notes_ = QJsonArray();
}

}  // namespace cli
