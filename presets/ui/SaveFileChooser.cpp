// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/ui/SaveFileChooser.h"

#include <QFileDialog>
#include <system_error>

#include "presets/PresetFolder.h"

namespace fs = std::filesystem;

namespace presets {
namespace {

SaveFileChooser& Chooser()
{
    static SaveFileChooser chooser;
    return chooser;
}

}  // namespace

std::optional<fs::path> ChooseSaveFile(QWidget* owner, const SaveRequest& request)
{
    if (Chooser())
        return Chooser()(request);
    QFileDialog dialog(owner, QString(), QString::fromStdString(request.folder.string()),
                       QString::fromStdString(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("ini");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return fs::path(dialog.selectedFiles().first().toStdString());
}

void SetSaveFileChooser(SaveFileChooser chooser) { Chooser() = std::move(chooser); }

fs::path SaveFolder(const fs::path& programFolder, const std::string& format)
{
    const fs::path folder = PresetPath(programFolder, {format});
    std::error_code ec;
    return fs::is_directory(folder, ec) ? folder : programFolder;
}

}  // namespace presets
