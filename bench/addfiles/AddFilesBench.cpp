// SPDX-License-Identifier: GPL-3.0-or-later
// Adds every file of a folder to the main window's list, the way a drop
// does, and prints the seconds AddFiles took and the entries it made.
//   tremolix-addfiles-bench FOLDER

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/FolderFiles.h"
#include "app/ui/MainForm.h"
#include "platform/ui/MessageBox.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    platform::SetMessageHandler([](const platform::MessageRecord& box) {
        std::fprintf(stderr, "%s\n", box.text.c_str());
        return platform::BoxAnswer::Ok;
    });
    TfrmMain window;
    window.show();
    const std::vector<std::filesystem::path> paths = app::ListFolderFiles(argv[1], false).files;
    QElapsedTimer timer;
    timer.start();
    window.AddFiles(paths);
    std::printf("%.3f %d\n", timer.nsecsElapsed() / 1e9, window.EntryCount());
    return 0;
}
