// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTimer>

#include "app/ui/MainForm.h"
#include "app/ui/RunController.h"
#include "app/ui/ShellActions.h"
#include "platform/ProgramFolder.h"
#include "platform/Version.h"

namespace {

// Files and folders named on the command line (a desktop's "open with"
// passes them so), in the order given.
std::vector<std::filesystem::path> ArgumentPaths(const QApplication& application)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Batch audio converter and tag editor");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("files", "Audio files and folders to put in the list.", "[FILE|FOLDER...]");
    parser.process(application);
    std::vector<std::filesystem::path> paths;
    for (const QString& name : parser.positionalArguments())
        paths.emplace_back(QFile::encodeName(name).toStdString());
    return paths;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(appui::ApplicationTitle);
    QApplication::setApplicationDisplayName(appui::ApplicationTitle);
    QApplication::setApplicationVersion(platform::VersionText);
    const std::vector<std::filesystem::path> paths = ArgumentPaths(application);
    TfrmMain window;
    appui::RunController run(window, platform::ProgramFolder());
    window.show();
    if (!paths.empty())
        QTimer::singleShot(0, &window, [&window, paths] { window.AddArguments(paths); });
    return application.exec();
}
