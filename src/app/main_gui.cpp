// quillery: the desktop window.
#include "spelling/QUILL_spellingLibrary.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_wsSpelling.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillery"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillery"));
    // The desktop entry's name, which Wayland shells match the window with, and the icon drawn for the title bar.
    QGuiApplication::setDesktopFileName(QStringLiteral("quillery"));
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quillery-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    const QStringList arguments = QApplication::arguments();
    TForm1 form(QApplication::applicationDirPath(), arguments.size() > 1 ? arguments[1] : QString());
    setSpellerFactory(form.workspace(), quillspell::spellingLibraryFactory());
    form.show();
    return application.exec();
}
