// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "app/ui/MainForm.h"
#include "app/ui/RunController.h"
#include "app/ui/ShellActions.h"
#include "platform/ProgramFolder.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(appui::ApplicationTitle);
    QApplication::setApplicationDisplayName(appui::ApplicationTitle);
    TfrmMain window;
    appui::RunController run(window, platform::ProgramFolder());
    window.show();
    return application.exec();
}
