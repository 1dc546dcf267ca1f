// The Spelling page of the options.
#include "ui/QUILL_spellingOptions.h"

#include "aids/QUILL_spellDictionaries.h"
#include "ui/QUILL_Dialog.h"
#include "workspace/QUILL_options.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsSpelling.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

TSpellingOptionsPage::TSpellingOptionsPage(TWorkspace& ws, QComboBox* destLanguage, QWidget* parent)
    : QWidget(parent), ws_(ws), destLanguage_(destLanguage), openedLanguage_(ws.app.state.DestLang.toLower()) {
    const TAppContext& app = ws.app;
    const TAppState& st = app.state;
    setObjectName(QStringLiteral("SpellingPage"));
    setProperty("uiKey", QStringLiteral("Set_Spelling"));
    auto* layout = new QVBoxLayout(this);
    checkSpelling = checkBox(this, app, "ChkSpellCheck", "CheckSpelling");
    checkSpelling->setChecked(spellingEnabled(ws));
    layout->addWidget(checkSpelling);

    auto* form = new QFormLayout;
    dictionaries = new QComboBox(this);
    dictionaries->setObjectName(QStringLiteral("SpellDictionary"));
    dictionaries->setMinimumContentsLength(24);
    dictionaries->addItem(QString(), QString()); // the language's own, named by languageChanged
    const QStringList found = spellingDictionaryChoices(ws);
    for (const QString& name : found)
        dictionaries->addItem(name, name);
    // A dictionary chosen earlier and since removed stays the choice, marked as missing.
    const QString chosen = st.spellDictionary;
    if (!chosen.isEmpty() && !found.contains(chosen))
        dictionaries->addItem(app.uiTextFormat(QStringLiteral("Spell_DictionaryMissing"), {chosen}), chosen);
    dictionaries->setCurrentIndex(qMax(0, dictionaries->findData(chosen)));
    auto* label = new QLabel(app.uiText(QStringLiteral("Spell_DictionaryLabel")), this);
    label->setProperty("uiKey", QStringLiteral("Spell_DictionaryLabel"));
    label->setBuddy(dictionaries);
    form->addRow(label, dictionaries);
    layout->addLayout(form);

    // Where dictionaries are looked for, the program's own folder first (where a translator drops one).
    auto* where = new QLabel(this);
    where->setObjectName(QStringLiteral("SpellFolders"));
    where->setWordWrap(true);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QStringList folders;
    for (const QString& folder : quillspell::dictionaryFolders(st))
        folders << QDir::toNativeSeparators(folder);
    where->setText(app.uiText(QStringLiteral("Spell_FoldersLabel")) + QLatin1Char('\n') +
                   folders.join(QLatin1Char('\n')));
    layout->addWidget(where);
    auto* row = new QHBoxLayout;
    openFolder = new QPushButton(this);
    openFolder->setObjectName(QStringLiteral("OpenDictionaryFolder"));
    setUiKey(openFolder, QStringLiteral("Spell_OpenDictionaryFolder"), app);
    connect(openFolder, &QPushButton::clicked, this, [this] {
        const QString folder = quillspell::programDictionaryFolder(ws_.app.state);
        QDir().mkpath(folder);
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    });
    row->addWidget(openFolder);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);

    if (destLanguage_) connect(destLanguage_, &QComboBox::currentIndexChanged, this, [this] { languageChanged(); });
    languageChanged();
}

void TSpellingOptionsPage::languageChanged() {
    TAppContext& app = ws_.app;
    // Before the dialog fills its language box, the current translation language.
    QString language = destLanguage_ ? destLanguage_->currentData().toString().toLower() : QString();
    if (language.isEmpty()) language = openedLanguage_;
    QString name = quillspell::dictionaryNameFor(app, language);
    if (name.isEmpty())
        name = QStringLiteral("-");
    else if (!quillspell::findDictionary(app.state, name))
        name = app.uiTextFormat(QStringLiteral("Spell_DictionaryMissing"), {name});
    dictionaries->setItemText(0, app.uiTextFormat(QStringLiteral("Spell_DictionaryAuto"), {name}));
    // Another translation language: its own dictionary, unless the translator picks one again.
    if (language != openedLanguage_) dictionaries->setCurrentIndex(0);
}

void TSpellingOptionsPage::fill(rOptionsChoice& choice) const {
    choice.spellCheck = checkSpelling->isChecked();
    choice.spellDictionary = dictionaries->currentData().toString();
}
