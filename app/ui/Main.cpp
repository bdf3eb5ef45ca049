#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tremolix Audio Converter");
    QMainWindow window;
    window.setWindowTitle("Tremolix Audio Converter");
    window.show();
    return app.exec();
}
