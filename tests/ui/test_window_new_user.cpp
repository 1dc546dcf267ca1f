// What a new user meets first: the window where it was left, menus reachable from the keyboard, an interface in the
// chosen language throughout.
#include "temp_program_dir.h"

#include "core/QUILL_dataList.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {

QHash<QString, QString> prefsValues(const QString& path) {
    QHash<QString, QString> out;
    for (const QString& line : splitTextLines(decodeTextFile(fileBytes(path)))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0) out.insert(line.left(eq), line.mid(eq + 1));
    }
    return out;
}

// key (lower case) -> text of a Res.ini file.
QHash<QString, QString> uiTexts(const QString& path) {
    QHash<QString, QString> out;
    for (const QString& line : splitTextLines(decodeTextFile(fileBytes(path)))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && !line.startsWith(QLatin1Char('#')))
            out.insert(line.left(eq).trimmed().toLower(), line.mid(eq + 1));
    }
    return out;
}

} // namespace

// The main window and the edit dialog keep their places under one rule: each restart shows the frame where it was left.
TEST(WindowNewUser, ThePositionHoldsOverThreeRestarts) {
    TTempProgramDir dir;
    dir.write(QStringLiteral("prefs.ini"), "isFirstLaunch=0\r\nPOSL=60\r\nPOST=40\r\nPOSW=700\r\nPOSH=500\r\n"
                                           "SPOSL=90\r\nSPOST=70\r\nSPOSW=640\r\nSPOSH=480\r\n");
    for (int restart = 0; restart < 3; ++restart) {
        {
            TForm1 form(dir.path(), {}, QString());
            form.show();
            TForm2* dialog = editDialog(form);
            ASSERT_NE(dialog, nullptr);
            dialog->show();
            QCoreApplication::processEvents();
            // The frame sits where it was saved; the client area lies inside it.
            EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(60, 40)) << "restart " << restart;
            EXPECT_EQ(form.size(), QSize(700, 500));
            EXPECT_EQ(dialog->frameGeometry().topLeft(), QPoint(90, 70)) << "restart " << restart;
            EXPECT_EQ(dialog->size(), QSize(640, 480));
            dialog->close();
            ASSERT_TRUE(form.close());
        }
        const auto prefs = prefsValues(dir.file(QStringLiteral("prefs.ini")));
        EXPECT_EQ(prefs.value(QStringLiteral("POST")), QStringLiteral("40")) << "restart " << restart;
        EXPECT_EQ(prefs.value(QStringLiteral("POSL")), QStringLiteral("60")) << "restart " << restart;
        EXPECT_EQ(prefs.value(QStringLiteral("SPOST")).toStdString(), "70") << "restart " << restart;
        EXPECT_EQ(prefs.value(QStringLiteral("SPOSL")).toStdString(), "90") << "restart " << restart;
    }
}

TEST(WindowNewUser, MenusOpenFromTheKeyboard) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    form.show();
    QCoreApplication::processEvents();
    // Every menu of the bar has an Alt key, and no two share one.
    QSet<QChar> keys;
    for (QAction* menu : form.menuBar()->actions()) {
        const QString title = menu->text();
        const qsizetype amp = title.indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << title.toStdString();
        ASSERT_LT(amp + 1, title.size());
        const QChar key = title.at(amp + 1).toLower();
        EXPECT_FALSE(keys.contains(key)) << title.toStdString();
        keys.insert(key);
    }
    EXPECT_TRUE(keys.contains(QLatin1Char('f')));
    // F10 opens the first menu.
    QShortcut* f10 = nullptr;
    for (QShortcut* s : form.findChildren<QShortcut*>())
        if (s->key() == QKeySequence(Qt::Key_F10)) f10 = s;
    ASSERT_TRUE(f10);
    emit f10->activated();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form.menuBar()->activeAction());
    EXPECT_EQ(form.menuBar()->activeAction()->menu()->objectName(), QStringLiteral("File"));
    form.menuBar()->activeAction()->menu()->close();
}

TEST(WindowNewUser, TheFrenchInterfaceLeavesNoEnglishText) {
    TTempProgramDir dir;
    dir.write(QStringLiteral("prefs.ini"), "isFirstLaunch=0\r\nUILang=french\r\n");
    const auto english = uiTexts(dir.file(QStringLiteral("res/english/Res.ini")));
    const auto french = uiTexts(dir.file(QStringLiteral("res/french/Res.ini")));
    ASSERT_FALSE(french.isEmpty());
    TForm1 form(dir.path(), {}, QString());
    form.show();
    QCoreApplication::processEvents();

    // Every keyed caption, hint and placeholder reads the French text wherever it differs from the English one.
    int checked = 0;
    for (QObject* object : form.findChildren<QObject*>()) {
        for (const char* property : {"uiKey", "uiHintKey", "uiPlaceholderKey"}) {
            const QString key = object->property(property).toString().toLower();
            if (key.isEmpty() || !french.contains(key) || french.value(key) == english.value(key)) continue;
            QString shown;
            if (auto* action = qobject_cast<QAction*>(object))
                shown = QLatin1String(property) == QLatin1String("uiKey") ? action->text() : action->toolTip();
            else if (auto* menu = qobject_cast<QMenu*>(object))
                shown = menu->title();
            else if (auto* edit = qobject_cast<QLineEdit*>(object))
                shown = QLatin1String(property) == QLatin1String("uiPlaceholderKey") ? edit->placeholderText()
                                                                                     : edit->toolTip();
            else if (auto* widget = qobject_cast<QWidget*>(object);
                     widget && QLatin1String(property) == QLatin1String("uiHintKey"))
                shown = widget->toolTip();
            else
                continue;
            QString englishText = english.value(key);
            EXPECT_NE(shown, englishText) << key.toStdString();
            EXPECT_NE(shown, englishText.remove(QLatin1Char('&'))) << key.toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 60);
    EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("ButtonedEdit1"))->placeholderText(),
              QStringLiteral("Rechercher"));
    EXPECT_TRUE(form.windowTitle().endsWith(QStringLiteral("[mode : aucun] - Quillery")))
        << form.windowTitle().toStdString();
    EXPECT_TRUE(form.homeBrowser()->toPlainText().contains(QStringLiteral("Bienvenue")));
    EXPECT_FALSE(form.homeBrowser()->toPlainText().contains(QStringLiteral("Welcome")));
}
