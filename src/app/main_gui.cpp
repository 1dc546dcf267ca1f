// quillery: the desktop window.
#include "spelling/QUILL_spellingLibrary.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_wsSpelling.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillery"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillery"));
    const QStringList arguments = QApplication::arguments();
    TForm1 form(QApplication::applicationDirPath(), arguments.size() > 1 ? arguments[1] : QString());
    setSpellerFactory(form.workspace(), quillspell::spellingLibraryFactory());
    form.show();
    return application.exec();
}
