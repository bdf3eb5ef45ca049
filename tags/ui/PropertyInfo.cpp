// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/ui/PropertyInfo.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStyle>

#include "engine/Encoder.h"
#include "engine/FormatTable.h"

namespace {

QString NativeName(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

std::string UtcTimeText(const QFileInfo& info, QFileDevice::FileTime which)
{
    const QDateTime time = info.fileTime(which);
    if (!time.isValid())
        return {};
    return time.toUTC().toString("yyyy-MM-dd hh:mm").toStdString();
}

std::string ChannelsName(std::int32_t channels)
{
    if (channels == 1)
        return "Mono";
    if (channels == 2)
        return "Stereo";
    return {};
}

QMimeType MimeTypeOf(const std::filesystem::path& path)
{
    return QMimeDatabase().mimeTypeForFile(NativeName(path));
}

}  // namespace

TPropertyInfo ReadPropertyInfo(TEncoder* engine, const std::filesystem::path& path)
{
    TAudioProperty property;
    if (engine)
        engine->OpenInput(path, 0, true, &property);
    const QFileInfo file(NativeName(path));

    TPropertyInfo info;
    info.DurationText = property.Duration;
    info.SampleRateText = std::to_string(property.SampleRate) + "Hz";
    info.BitRateText = std::to_string(property.Bitrate) + "Kbps";
    info.ChannelsText = ChannelsName(property.Channels);
    info.FileSizeText = property.Size;
    info.ModifiedText = UtcTimeText(file, QFileDevice::FileModificationTime);
    info.AccessedText = UtcTimeText(file, QFileDevice::FileAccessTime);
    // A file no decoder opens is named by its extension alone.
    info.KindText = property.Kind.empty() ? engine::KindNameOfFile(path) : property.Kind;
    return info;
}

QString ShellTypeName(const std::filesystem::path& path) { return MimeTypeOf(path).comment(); }

QIcon ShellTypeIcon(const std::filesystem::path& path)
{
    const QMimeType type = MimeTypeOf(path);
    const QIcon fallback = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), fallback));
}
