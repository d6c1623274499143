// The desktop program: the main window runs the start-up when it loads.
#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return 0;
}
