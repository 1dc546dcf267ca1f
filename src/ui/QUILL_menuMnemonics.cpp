// Alt keys for menu items.
#include "ui/QUILL_menuMnemonics.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

namespace {

// The letter a text's '&' names, or a null character ("&&" is a plain '&').
QChar namedMnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

// The text as its owner set it, without the Alt key given here last time.
QString ownText(const QAction* action) {
    const QString given = action->property("mnemonicGiven").toString();
    return !given.isEmpty() && given == action->text() ? action->property("mnemonicOwnText").toString()
                                                       : action->text();
}

// Where a free letter sits in `text`: the start of a word first, then anywhere; -1 when none is free.
qsizetype freeLetter(const QString& text, const QSet<QChar>& used) {
    for (const bool wordStartsOnly : {true, false})
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (!c.isLetterOrNumber() || used.contains(c.toLower())) continue;
            if (wordStartsOnly && i > 0 && text[i - 1].isLetterOrNumber()) continue;
            return i;
        }
    return -1;
}

void watch(QMenu* menu) {
    if (menu->property("mnemonicsWatched").toBool()) return;
    menu->setProperty("mnemonicsWatched", true);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] { giveMnemonics(menu); });
}

} // namespace

void giveMnemonics(QMenu* menu) {
    const QList<QAction*> actions = menu->actions();
    QSet<QChar> used;
    QList<QAction*> without;
    for (QAction* action : actions) {
        if (action->isSeparator() || action->text().isEmpty()) continue;
        if (QMenu* sub = action->menu()) watch(sub);
        const QChar named = namedMnemonic(ownText(action));
        if (named.isNull())
            without << action;
        else
            used.insert(named);
    }
    for (QAction* action : without) {
        const QString text = ownText(action);
        const qsizetype at = freeLetter(text, used);
        if (at < 0) continue;
        used.insert(text[at].toLower());
        QString given = text;
        given.insert(at, QLatin1Char('&'));
        action->setProperty("mnemonicOwnText", text);
        action->setProperty("mnemonicGiven", given);
        action->setText(given);
    }
}

void giveMenusMnemonics(QMenuBar* bar) {
    for (QAction* action : bar->actions())
        if (QMenu* menu = action->menu()) watch(menu);
}
