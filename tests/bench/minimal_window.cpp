// The baseline of the start-up row of the benchmark: the least a Qt Widgets
// program does to show a window. Linked with Qt Widgets only.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(900, 667);
    window.show();
    return QApplication::exec();
}
