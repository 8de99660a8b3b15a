// The smallest Qt Widgets program that shows text: one label, then out. Showing any text costs the
// font set-up, which a window without text never pays.
#include <QApplication>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("TuneMora"));
    label.show();
    QTimer::singleShot(0, &application, &QApplication::quit);
    return QApplication::exec();
}
