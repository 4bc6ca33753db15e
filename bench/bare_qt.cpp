// The start-up peer of the player: a bare Qt widget program that shows a
// 640x480 window and quits once the event loop has run. bench/run times it
// and reads its peak memory beside the player's.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(640, 480);
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
