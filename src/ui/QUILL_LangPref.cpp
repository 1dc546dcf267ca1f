// The options dialog.
#include "ui/QUILL_LangPref.h"

#include "core/QUILL_dataList.h"
#include "core/QUILL_files.h"
#include "core/QUILL_folders.h"
#include "core/QUILL_main.h"
#include "strings/QUILL_codepage.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_checksOptions.h"
#include "ui/QUILL_spellingOptions.h"
#include "workspace/QUILL_workspace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QLabel* label(const char* key, const TAppContext& app, QWidget* parent) {
    auto* l = new QLabel(parent);
    setUiKey(l, QLatin1String(key), app);
    return l;
}

// A read-only folder field that opens a folder browser when clicked or through its button.
QWidget* folderRow(QLineEdit*& field, const char* name, QWidget* parent, const std::function<void()>& browse) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    field = new QLineEdit(row);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    auto* button = new QToolButton(row);
    button->setText(QStringLiteral("..."));
    QObject::connect(button, &QToolButton::clicked, row, browse);
    layout->addWidget(field, 1);
    layout->addWidget(button);
    return row;
}

// The name a language folder's texts give their language (its "LanguageName" line), else the folder's name.
QString interfaceLanguageName(const QString& dataFolder, const QString& folder) {
    QByteArray bytes;
    const QString file =
        quillfs::findFileNoCase(QDir(dataFolder).filePath(QStringLiteral("res/") + folder), QStringLiteral("Res.ini"));
    if (!file.isEmpty() && quillfs::readWholeFile(file, bytes))
        for (const QString& line : splitTextLines(decodeTextFile(bytes)))
            if (line.startsWith(QLatin1String("LanguageName="), Qt::CaseInsensitive)) {
                const QString name = line.mid(13).trimmed();
                if (!name.isEmpty()) return name;
            }
    return folder.isEmpty() ? folder : folder.left(1).toUpper() + folder.mid(1);
}

} // namespace

TForm3::TForm3(TWorkspace& ws, QWidget* parent) : QDialog(parent), ws_(ws) {
    const TAppContext& app = ws.app;
    const TAppState& st = app.state;
    setObjectName(QStringLiteral("TForm3"));
    setProperty("uiKey", QStringLiteral("Set_Options"));
    setWindowTitle(app.uiText(QStringLiteral("Set_Options")));
    setMinimumSize(560, 520);

    auto* layout = new QVBoxLayout(this);
    pages = new QTabWidget(this);
    layout->addWidget(pages, 1);

    // Languages and vocabulary.
    auto* vocab = new QWidget(pages);
    auto* form = new QFormLayout(vocab);
    auto languageRow = [&](QComboBox*& combo, QLabel*& codepage, const char* comboName, const char* labelName) {
        auto* row = new QWidget(vocab);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        combo = new QComboBox(row);
        combo->setObjectName(QLatin1String(comboName));
        combo->setMinimumContentsLength(8);
        codepage = new QLabel(row);
        codepage->setObjectName(QLatin1String(labelName));
        codepage->setMinimumWidth(70);
        h->addWidget(combo);
        h->addWidget(codepage);
        h->addStretch(1);
        return row;
    };
    form->addRow(label("Source_Lang", app, vocab), languageRow(ComboBox1, Label4, "ComboBox1", "Label4"));
    form->addRow(label("Dest_Lang", app, vocab), languageRow(ComboBox2, Label5, "ComboBox2", "Label5"));
    form->addRow(label("Game_Folder", app, vocab),
                 folderRow(Edit1, "Edit1", vocab, [this] { browse(Edit1, QStringLiteral("Dia_chooseStringDir")); }));
    // One line on what the tables found allow, the set by set details on request.
    auto* tablesRow = new QWidget(vocab);
    auto* tablesLayout = new QHBoxLayout(tablesRow);
    tablesLayout->setContentsMargins(0, 0, 0, 0);
    LabelTables = new QLabel(tablesRow);
    LabelTables->setObjectName(QStringLiteral("LabelTables"));
    LabelTables->setWordWrap(true);
    LabelTables->setTextFormat(Qt::PlainText);
    ButtonDetails = new QPushButton(tablesRow);
    ButtonDetails->setObjectName(QStringLiteral("ButtonDetails"));
    ButtonDetails->setCheckable(true);
    setUiKey(ButtonDetails, QStringLiteral("Tables_Details"), app);
    tablesLayout->addWidget(LabelTables, 1);
    tablesLayout->addWidget(ButtonDetails, 0, Qt::AlignTop);
    form->addRow(tablesRow);
    memo1 = new QListWidget(vocab);
    memo1->setObjectName(QStringLiteral("memo1"));
    memo1->setSelectionMode(QAbstractItemView::NoSelection);
    memo1->setFocusPolicy(Qt::NoFocus);
    memo1->setVisible(false);
    connect(ButtonDetails, &QPushButton::toggled, memo1, &QWidget::setVisible);
    form->addRow(memo1);
    ComboBox3 = new QComboBox(vocab);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    form->addRow(label("UILang", app, vocab), ComboBox3);
    auto* note = label("Lbl_UIChange", app, vocab);
    note->setWordWrap(true);
    form->addRow(QString(), note);
    vocab->setProperty("uiKey", QStringLiteral("Set_Vocab"));
    pages->addTab(vocab, app.uiText(QStringLiteral("Set_Vocab")));

    // Switches.
    auto* options = new QWidget(pages);
    auto* v = new QVBoxLayout(options);
    CheckBoxOptSound = checkBox(options, app, "ChkOptSound", "CheckBoxOptSound");
    v->addWidget(CheckBoxOptSound);
    auto* backup = new QGroupBox(options);
    setUiKey(backup, QStringLiteral("OptBackup"), app);
    auto* b = new QVBoxLayout(backup);
    CheckBoxOptBackup = checkBox(backup, app, "ChkOptBackup", "CheckBoxOptBackup");
    CheckBoxOptFolder = checkBox(backup, app, "ChkOptBackupFolder", "CheckBoxOptFolder");
    b->addWidget(CheckBoxOptBackup);
    b->addWidget(CheckBoxOptFolder);
    b->addWidget(folderRow(Edit2, "Edit2", backup, [this] { browse(Edit2, QStringLiteral("Dia_chooseBackupDir")); }));
    v->addWidget(backup);
    CheckBox2 = checkBox(options, app, "ChkAutoSwitchField", "CheckBox2");
    v->addWidget(CheckBox2);
    auto* countRow = new QHBoxLayout();
    Edit3 = new QSpinBox(options);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setRange(0, 25);
    countRow->addWidget(Edit3);
    countRow->addWidget(label("sstCountBackup", app, options), 1);
    v->addLayout(countRow);
    CheckBox3 = checkBox(options, app, "ChkUseAdvancedDic", "CheckBox3");
    CheckBox4 = checkBox(options, app, "chkExpertMode", "CheckBox4");
    CheckBox5 = checkBox(options, app, "ChkVTSimpleLine", "CheckBox5");
    CheckBox6 = checkBox(options, app, "ChkUseFileStream", "CheckBox6");
    CheckBox7 = checkBox(options, app, "ChkAutoTranslate", "CheckBox7");
    CheckBox8 = checkBox(options, app, "ChkUseStringDialog", "CheckBox8");
    for (QCheckBox* c : {CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7, CheckBox8})
        v->addWidget(c);
    v->addWidget(foldersBox(options));
    v->addStretch(1);
    options->setProperty("uiKey", QStringLiteral("Options"));
    pages->addTab(options, app.uiText(QStringLiteral("Options")));
    spellingPage = new TSpellingOptionsPage(ws, ComboBox2, pages);
    pages->addTab(spellingPage, app.uiText(QStringLiteral("Set_Spelling")));
    checksPage = new TChecksOptionsPage(app, pages);
    checksPage->setProperty("uiKey", QStringLiteral("Opt_Checks"));
    pages->addTab(checksPage, app.uiText(QStringLiteral("Opt_Checks")));

    // Bottom: the rebuild box, Ok and Cancel.
    auto* bottom = new QHBoxLayout();
    CheckBox1 = checkBox(this, app, "Build_Cache", "CheckBox1");
    bottom->addWidget(CheckBox1, 1);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(app.uiText(QStringLiteral("Ok")), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ButtonOk"));
    ok->setDefault(true);
    buttons->addButton(app.uiText(QStringLiteral("Cancel")), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("ButtonCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);

    // Values from the preferences.
    // Each interface language by its own name ("Français"); its folder is the item's data.
    const QStringList folders = listLanguageFolders(shippedFolder(st));
    for (const QString& folder : folders)
        ComboBox3->addItem(interfaceLanguageName(shippedFolder(st), folder), folder);
    ComboBox3->setCurrentIndex(languageFolderIndex(folders, st.UILang));
    // Each language shows its name beside its code; the code is the item's data.
    const QStringList languages = codepageLanguageNames(st.codepageList);
    for (const QString& code : languages) {
        const QString nameKey = QStringLiteral("Lang_") + code;
        const QString name = app.uiText(nameKey);
        const QString text = name.isEmpty() || name.compare(nameKey, Qt::CaseInsensitive) == 0
                                 ? code
                                 : code + QStringLiteral(" - ") + name;
        ComboBox1->addItem(text, code);
        ComboBox2->addItem(text, code);
    }
    const int source = static_cast<int>(languages.indexOf(st.SourceLang.toLower()));
    const int dest = static_cast<int>(languages.indexOf(st.DestLang.toLower()));
    ComboBox1->setCurrentIndex(source >= 0 ? source : 0);
    ComboBox2->setCurrentIndex(dest >= 0 ? dest : qMin(1, static_cast<int>(languages.size()) - 1));
    Edit1->setText(QDir::toNativeSeparators(st.StringsFolder));
    Edit2->setText(QDir::toNativeSeparators(st.EspBackup));
    Edit3->setValue(st.sstbackupCount);
    CheckBoxOptSound->setChecked(st.authSound);
    CheckBoxOptBackup->setChecked(st.EspBackupOptSimple);
    CheckBoxOptFolder->setChecked(st.EspBackupOptSimple && st.EspBackupOptFolder);
    CheckBox2->setChecked(st.OptAutoSelectField);
    CheckBox3->setChecked(st.useAddonHash);
    CheckBox4->setChecked(st.quillexpertMode);
    CheckBox4->setEnabled(!st.isFirstLaunch);
    CheckBox5->setChecked(st.VTSimpleLine2);
    CheckBox6->setChecked(st.ForceFileStream2);
    CheckBox6->setEnabled(false);
    CheckBox7->setChecked(st.AuthAutoTranslate2);
    CheckBox8->setChecked(st.UseStringDialog2);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { languagesChanged(); });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { languagesChanged(); });
    connect(CheckBoxOptBackup, &QCheckBox::toggled, this, [this] { backupChanged(); });
    connect(CheckBoxOptFolder, &QCheckBox::toggled, this, [this] { backupChanged(); });
    pages->setCurrentIndex(0);
    languagesChanged();
    backupChanged();
    resize(640, 600);
}

QGroupBox* TForm3::foldersBox(QWidget* parent) {
    const TAppContext& app = ws_.app;
    const TAppState& st = app.state;
    auto* box = new QGroupBox(parent);
    box->setObjectName(QStringLiteral("GroupFolders"));
    setUiKey(box, QStringLiteral("Set_Folders"), app);
    auto* form = new QFormLayout(box);
    const bool installed = st.folderMode == TFolderMode::installed;
    LabelFolderMode = label(installed ? "Folders_Installed" : "Folders_Portable", app, box);
    LabelFolderMode->setObjectName(QStringLiteral("LabelFolderMode"));
    LabelFolderMode->setWordWrap(true);
    form->addRow(LabelFolderMode);
    auto path = [box](const QString& folder, const char* name) {
        auto* field = new QLineEdit(QDir::toNativeSeparators(folder), box);
        field->setObjectName(QLatin1String(name));
        field->setReadOnly(true);
        return field;
    };
    if (installed) form->addRow(label("Folders_Data", app, box), path(shippedFolder(st), "EditDataFolder"));
    auto* row = new QWidget(box);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    EditUserFolder = path(userFolder(st), "EditUserFolder");
    ButtonOpenFolder = new QPushButton(row);
    ButtonOpenFolder->setObjectName(QStringLiteral("ButtonOpenFolder"));
    setUiKey(ButtonOpenFolder, QStringLiteral("Folders_Open"), app);
    connect(ButtonOpenFolder, &QPushButton::clicked, this, [this] {
        const QString folder = userFolder(ws_.app.state);
        QDir().mkpath(folder);
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    });
    h->addWidget(EditUserFolder, 1);
    h->addWidget(ButtonOpenFolder);
    form->addRow(label("Folders_User", app, box), row);
    return box;
}

void TForm3::languagesChanged() {
    const TAppState& st = ws_.app.state;
    const QString source = ComboBox1->currentData().toString();
    const QString dest = ComboBox2->currentData().toString();
    Label4->setText(QStringLiteral("[%1]").arg(chooseCodepage(QLatin1Char('_') + source, st.codepageList, false).s));
    Label5->setText(QStringLiteral("[%1]").arg(chooseCodepage(QLatin1Char('_') + dest, st.codepageList, false).s));
    const bool differ = source.toLower() != dest.toLower();
    memo1->clear();
    const QString folder = QDir::fromNativeSeparators(Edit1->text());
    bool anyTables = false; // at least one set of the vocabulary can be built
    int sets = 0, buildable = 0;
    for (const rCacheInfoLine& line : cacheInformation(ws_.app, folder, source, dest)) {
        auto* item = new QListWidgetItem(line.text, memo1);
        if (line.colour == rCacheInfoLine::red)
            item->setBackground(QColor(0xFF, 0xDD, 0xDD));
        else if (line.colour == rCacheInfoLine::green)
            item->setBackground(QColor(0xDD, 0xFF, 0xDD));
        anyTables = anyTables || line.colour == rCacheInfoLine::green;
        // A set's own line is the one before its "details" line; count the sets by their first coloured line.
        if (line.colour != rCacheInfoLine::none && !line.text.startsWith(QLatin1Char(' '))) {
            ++sets;
            if (line.colour == rCacheInfoLine::green) ++buildable;
        }
    }
    const TAppContext& app = ws_.app;
    LabelTables->setText(
        !differ     ? app.uiText(QStringLiteral("Tables_SameLanguage"))
        : anyTables ? app.uiTextFormat(QStringLiteral("Tables_Found"), {buildable, sets})
                    : app.uiTextFormat(QStringLiteral("Tables_NotFound"), {app.uiText(QStringLiteral("Game_Folder"))}));
    // Building is offered where it would make something: never ticked when no table of the game was found.
    CheckBox1->setEnabled(differ);
    CheckBox1->setChecked(
        differ && anyTables &&
        (st.isFirstLaunch || source.toLower() != st.SourceLang.toLower() || dest.toLower() != st.DestLang.toLower()));
}

void TForm3::backupChanged() {
    CheckBoxOptFolder->setEnabled(CheckBoxOptBackup->isChecked());
    if (!CheckBoxOptBackup->isChecked()) CheckBoxOptFolder->setChecked(false);
    Edit2->parentWidget()->setEnabled(CheckBoxOptBackup->isChecked() && CheckBoxOptFolder->isChecked());
}

void TForm3::browse(QLineEdit* field, const QString& captionKey) {
    const QString chosen =
        ws_.app.host().pickFolder(ws_.app.uiText(captionKey), QDir::fromNativeSeparators(field->text()));
    if (chosen.isEmpty()) return;
    field->setText(QDir::toNativeSeparators(chosen));
    if (field == Edit1) languagesChanged();
}

rOptionsChoice TForm3::choice() const {
    rOptionsChoice c;
    c.sourceLang = ComboBox1->currentData().toString();
    c.destLang = ComboBox2->currentData().toString();
    c.uiLang = ComboBox3->currentData().toString();
    auto folder = [](const QLineEdit* field) {
        QString f = QDir::fromNativeSeparators(field->text());
        if (!f.isEmpty() && !f.endsWith(QLatin1Char('/'))) f += QLatin1Char('/');
        return f;
    };
    c.stringsFolder = folder(Edit1);
    c.espBackup = folder(Edit2);
    c.sstbackupCount = Edit3->value();
    c.authSound = CheckBoxOptSound->isChecked();
    c.backupSimple = CheckBoxOptBackup->isChecked();
    c.backupFolder = CheckBoxOptFolder->isChecked();
    c.autoSelectField = CheckBox2->isChecked();
    c.useAddonHash = CheckBox3->isChecked();
    c.expertMode = CheckBox4->isChecked();
    c.simpleLine = CheckBox5->isChecked();
    c.fileStream = CheckBox6->isChecked();
    c.autoTranslate = CheckBox7->isChecked();
    c.useStringDialog = CheckBox8->isChecked();
    c.rebuildCache = CheckBox1->isEnabled() && CheckBox1->isChecked();
    spellingPage->fill(c);
    checksPage->read(c);
    return c;
}

void TForm3::done(int result) {
    doReload = optionsNeedReload(ws_.app, choice());
    QDialog::done(result);
}

bool TForm3::runOptions(TWorkspace& ws, QWidget* parent) {
    if (codepageLanguageNames(ws.app.state.codepageList).size() <= 1) {
        ws.app.messageDialog(ws.app.uiText(QStringLiteral("Ask_ErrorLangFile")), dbOk);
        return false;
    }
    TForm3 dialog(ws, parent);
    bool taken = false;
    if (dialog.exec() == QDialog::Accepted) taken = applyOptions(ws, dialog.choice());
    ws.app.refreshStatusLanguage();
    return taken;
}
