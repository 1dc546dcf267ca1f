// Application state and the application context every command reports through: UI text, log, message dialog,
// the operation bracket and progress.
#pragma once

#include "core/QUILL_host.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <vector>

// What the main window holds. The numbers are stored nowhere but keep the documented order.
enum class TWorkMode : uint8_t {
    None = 0,
    sstEditCustom = 1,
    sstViewEdit = 2,
    Strings = 3,
    Esp = 4,
    StringsEspLayout = 5,
    MCMTranslate = 6,
    ScriptPex = 7,
};

// The name shown in the window title ("None", "sstEditCustom", ... "Strings+ EspLayout" ...).
QString workModeName(TWorkMode mode);

// Window geometry: width, height, top, left and the bottom panel height.
struct rwindowpos {
    int width = 800;
    int height = 600;
    int top = 50;
    int left = 50;
    int Control1 = 300;
    bool maximized = false;
};

// Where the program keeps its files (decided in core/QUILL_folders): everything in the program's folder, or the
// shipped data in the install's data folder and what the program writes in the user's own data folder.
enum class TFolderMode : uint8_t { portable = 0, installed = 1 };

// Process-wide application state, read by every part. Folders end with '/'.
struct TAppState {
    QString programFolder;
    // Set by applyAppFolders; empty folders mean the program's folder (portable).
    TFolderMode folderMode = TFolderMode::portable;
    QString shippedDataFolder; // the data shipped with the program, read only
    QString userDataFolder;    // everything the program writes, and the user's own copies of editable data files
    TWorkMode WorkMode = TWorkMode::None;
    QString SourceLang = QStringLiteral("en");
    QString DestLang = QStringLiteral("fr");
    QString UILang = QStringLiteral("English");
    QString currentFileName;  // name of the open plugin or table set, without path and language
    QString currentFilePath;  // full path of the open file
    QString openTablesFolder; // folder the open string tables were read from
    QString openTablesLang;   // language suffix of the open string tables
    bool dictionaryModified = false;
    bool idle = true;
    uint32_t addonHash = 0;

    // Folders.
    QString cacheFolder;
    QString userDictionaryFolder;
    QString dictionaryBackupFolder;
    QString resFolder;
    QString batchFolder;
    QString miscFolder;
    QString EspFolder;
    QString StringsFolder;
    QString StringsAddonFolder;
    QString papyrusPexFolder;
    QString XMLFolder;
    QString EspCompareFolder;
    QString EspBackup;

    // Preferences (prefs.ini).
    bool isFirstLaunch = true;
    QString SYNFONT = QStringLiteral("Courier New");
    bool authSound = true;
    bool useAddonHash = false;
    bool EspBackupOptSimple = true;
    bool EspBackupOptFolder = false;
    bool OptAutoSelectField = true;
    bool showNullDefault = true;
    int sstbackupCount = 3;
    bool quillexpertMode = false;
    bool usesXML = true;
    bool noReplace = false;
    bool VTSimpleLine2 = false;
    bool ForceFileStream2 = false;
    bool AuthAutoTranslate2 = true;
    bool UseStringDialog2 = false;
    rwindowpos windowpos;
    rwindowpos editWindowpos;
    QStringList recentAddon;       // most recent first
    QStringList presetlang;        // sorted, no duplicates
    QStringList cacheDisabledList; // sorted, no duplicates
    QStringList loadOrder;         // priority order, first is highest
    // The quality checks' switches by check name ("Check_<name>" lines); a check not named keeps its default.
    QMap<QString, bool> checkSwitches;
    // Validating a string that has problems asks first ("Validate anyway?") unless turned off.
    bool checksAskBeforeValidate = true;
    // Spelling: underlining unknown words as the translator types, and the dictionary chosen in the options (empty:
    // the translation language's own).
    bool spellCheck = true;
    QString spellDictionary;

    // The two Utf8 switches of the Options menu (not saved).
    bool ForceUtf8Load = false;
    bool ForceUtf8Export = false;
    // The PexData page's lock button ("Hint_LockTranslateTag"): down at start; script texts beginning with "$" are
    // then loaded as untranslatable.
    bool pexLockTranslateTag = true;

    // Data files read at start.
    QStringList vocabularyList;        // vocabulary.txt
    QStringList pexNoTransProc;        // pexNoTransProc.txt (sorted, no duplicates)
    QStringList codepageList;          // codepage.txt, lower-cased
    QStringList recordDefinitionLines; // the Records_def editor's lines (empty: the built-in default text holds)
    QStringList fieldSizeRefList;      // fieldSizeRef.txt, for the record definitions to parse
    QString headerTemplate;            // header.tpl
    bool fieldSizeRefChanged = false;  // set by the record definitions when the reference must be written back

    bool fileLoaded() const;     // modes 3..7
    bool dictionaryMode() const; // modes 1, 2
    bool pluginLoaded() const;   // modes 4, 5
    bool plainPlugin() const { return WorkMode == TWorkMode::Esp; }
    // The source and translation languages are one (ignoring case): the work is a proofreading of the source.
    bool sameLanguages() const { return SourceLang.compare(DestLang, Qt::CaseInsensitive) == 0; }
    bool editCustom() const { return WorkMode == TWorkMode::sstEditCustom; }
};

// The UI text table: key -> value, keys compared without regard to case; the first line of a key decides.
class TUiTextTable {
public:
    // Adds a key=value line unless the key is already present with a value.
    void addLine(const QString& line);
    void set(const QString& key, const QString& value) { values_.insert(key.toLower(), value); }
    // The value, or an empty string when absent.
    QString value(const QString& key) const { return values_.value(key.toLower()); }
    bool contains(const QString& key) const { return values_.contains(key.toLower()); }
    qsizetype size() const { return values_.size(); }
    void clear() { values_.clear(); }

private:
    QHash<QString, QString> values_;
};

// The application context: state, UI text and the host. One exists per running program (and per test).
class TAppContext {
public:
    explicit TAppContext(THost* host = nullptr);

    TAppState state;
    TUiTextTable texts;

    THost& host() const { return *host_; }
    void setHost(THost* host);

    // UI text: the value with "<br>" made a line break, or the key itself when absent or empty.
    QString uiText(const QString& key) const;
    // uiText formatted with the arguments; "Args_Error in: " + key when they do not fit.
    QString uiTextFormat(const QString& key, const QVariantList& args) const;

    // Appends a log line; with showDialog also shows the message dialog (its time does not count for the
    // operation). Returns the dialog result, or drNone without a dialog.
    int logMessage(const QString& text, bool showDialog = false, int buttons = dbOk);
    // The message dialog alone.
    int messageDialog(const QString& text, int buttons, int intervalMs = 1000);

    // The operation bracket; commands use it through TOperation. Operations nest: only the outermost one makes the
    // program busy and idle again, and each logs its own time.
    void beginOperation(const QString& message, bool logIt = true, bool disablePages = false);
    void endOperation(bool reportTime = true);
    bool isIdle() const { return state.idle; }
    int operationDepth() const { return static_cast<int>(operationStarts_.size()); }
    // Whether the running operation asked for the page controls to be disabled.
    bool operationDisablesPages() const { return disablePages_; }
    // Sets the progress maximum (beginOperation sets 100).
    // Counts beyond the progress bar's int range are clamped to it.
    void progressMax(qint64 maximum);
    // When i is a multiple of every: moves the progress bar to i and lets pending events run.
    void progressStep(qint64 i, qint64 every);
    // Moves the progress bar without letting events run.
    void progressAt(qint64 position);
    bool cancelRequested() const { return host_->cancelRequested(); }
    // Seconds since the innermost beginOperation, less the time spent in dialogs meanwhile.
    double operationSeconds() const;
    // Appends the separator line that closes a command's lines in the log.
    void logSeparator();

    // Status bar panel 1: "[%s]->[%s] %s" of SourceLang, DestLang and the current file name.
    QString statusLanguageText() const;
    // Writes statusLanguageText to the host's status panel 1.
    void refreshStatusLanguage();

    // Run by closeApplication after the preferences are saved (the record definitions write back their field
    // sizes here, for instance). Registered at run time by whoever owns the data.
    std::vector<std::function<void(TAppContext&)>> closeActions;

    // "%s %s" of the program name and its version text.
    static QString programCaption();
    static QString versionText();

private:
    THost* host_;
    QElapsedTimer clock_;
    // For each running operation, innermost last: when it began and the dialog time spent before it.
    struct rOperationStart {
        qint64 milliseconds;
        qint64 dialogMilliseconds;
    };
    std::vector<rOperationStart> operationStarts_;
    int progressMaximum_ = 100;
    bool disablePages_ = false;
    qint64 dialogMilliseconds_ = 0;
};

// The separator line that closes a command's lines in the log.
inline constexpr const char* kLogSeparator = "-----------------------------------------";

// A long command's operation: begins when made (commands disabled, busy cursor, the message logged) and ends when
// destroyed, so that a command that returns early or throws never leaves the program busy.
class TOperation {
public:
    TOperation(TAppContext& app, const QString& message, bool logIt = true, bool disablePages = false);
    ~TOperation();
    TOperation(const TOperation&) = delete;
    TOperation& operator=(const TOperation&) = delete;
    // Ends the operation before the scope does (the destructor then does nothing).
    void end(bool reportTime = true);

private:
    TAppContext& app_;
    bool running_ = true;
};
