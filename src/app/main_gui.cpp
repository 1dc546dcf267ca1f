// quillery: the desktop window.
#include "ui/QUILL_mainWindow.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillery"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillery"));
    const QStringList arguments = QApplication::arguments();
    TForm1 form(QApplication::applicationDirPath(), arguments.size() > 1 ? arguments[1] : QString());
    form.show();
    return application.exec();
}
