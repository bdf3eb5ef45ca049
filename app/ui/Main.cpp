#include <QApplication>

#include "app/ui/MainForm.h"
#include "app/ui/ShellActions.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(appui::ApplicationTitle);
    QApplication::setApplicationDisplayName(appui::ApplicationTitle);
    TfrmMain window;
    window.show();
    return application.exec();
}
