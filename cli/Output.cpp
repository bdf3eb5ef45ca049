// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Output.h"

#include <QJsonDocument>
#include <iostream>

namespace cli {

std::string Escaped(std::string_view text)
{
    static constexpr char Hex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\t')
            escaped += "\\t";
        else if (c == '\r')
            escaped += "\\r";
        else if (byte < 0x20 || byte == 0x7f)
            escaped.append("\\x").append(1, Hex[byte >> 4]).append(1, Hex[byte & 15]);
        else
            escaped += c;
    }
    return escaped;
}

QJsonValue JsonText(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

void PrintJsonLine(const QJsonObject& object)
{
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact);
    std::cout.write(line.constData(), line.size()) << '\n';
}

void ReportFileProblem(bool json, const std::filesystem::path& file, const std::string& message)
{
    const std::string name = file.string();
    const std::string prefix = name + ": ";
    const std::string reason = message.starts_with(prefix) ? message.substr(prefix.size()) : message;
    if (json)
        PrintJsonLine({{"file", JsonText(name)}, {"error", JsonText(reason)}});
    else
        std::cerr << Escaped(name) << ": " << Escaped(reason) << '\n';
}

}  // namespace cli
