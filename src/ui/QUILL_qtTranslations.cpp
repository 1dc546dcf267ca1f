// Qt's own texts in the interface language.
#include "ui/QUILL_qtTranslations.h"

#include "core/QUILL_main.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

bool installQtTranslations(const TAppContext& app) {
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    const QString locale = app.uiText(QStringLiteral("Locale"));
    if (locale.isEmpty() || locale == QLatin1String("en")) return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QStringList folders = {QDir(app.state.programFolder).filePath(QStringLiteral("translations")),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    for (const QString& folder : folders)
        if (translator->load(QStringLiteral("qtbase_") + locale, folder)) {
            QCoreApplication::installTranslator(translator);
            installed = translator;
            return true;
        }
    delete translator;
    return false;
}
