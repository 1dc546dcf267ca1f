// Application state helpers and the application context.
#include "core/QUILL_main.h"

#include "core/QUILL_format.h"

namespace {

// A host that does nothing, so that a context without one never crashes.
class TSilentHost final : public THost {
public:
    void appendLog(const QString&) override {}
    int showMessage(const QString&, const QString&, int buttons, int) override {
        if (buttons & dbCancel) return drCancel;
        if (buttons & dbNo) return drNo;
        return drOk;
    }
    QString pickOpenFile(const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString pickSaveFile(const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString pickFolder(const QString&, const QString&) override { return {}; }
    int chooseOption(rOptionRequest&) override { return -1; }
};

TSilentHost silentHost;

} // namespace

QString workModeName(TWorkMode mode) {
    switch (mode) {
    case TWorkMode::None:
        return QStringLiteral("None");
    case TWorkMode::sstEditCustom:
        return QStringLiteral("sstEditCustom");
    case TWorkMode::sstViewEdit:
        return QStringLiteral("sstViewEdit");
    case TWorkMode::Strings:
        return QStringLiteral("Strings");
    case TWorkMode::Esp:
        return QStringLiteral("Esp");
    case TWorkMode::StringsEspLayout:
        return QStringLiteral("Strings+ EspLayout");
    case TWorkMode::MCMTranslate:
        return QStringLiteral("MCMTranslate");
    case TWorkMode::ScriptPex:
        return QStringLiteral("ScriptPex");
    }
    return QStringLiteral("None");
}

bool TAppState::fileLoaded() const {
    const auto m = static_cast<int>(WorkMode);
    return m >= 3 && m <= 7;
}

bool TAppState::dictionaryMode() const {
    return WorkMode == TWorkMode::sstEditCustom || WorkMode == TWorkMode::sstViewEdit;
}

bool TAppState::pluginLoaded() const {
    return WorkMode == TWorkMode::Esp || WorkMode == TWorkMode::StringsEspLayout;
}

int TAppState::exportKindIndex() const {
    switch (WorkMode) {
    case TWorkMode::ScriptPex:
        return 3;
    case TWorkMode::MCMTranslate:
        return 2;
    case TWorkMode::Esp:
        return 1;
    default:
        return 0;
    }
}

void TUiTextTable::addLine(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) return;
    const QString key = line.left(eq).trimmed().toLower();
    if (key.isEmpty()) return;
    auto it = values_.find(key);
    if (it != values_.end()) return; // the first line of a key decides
    values_.insert(key, line.mid(eq + 1));
}

TAppContext::TAppContext(THost* host) : host_(host ? host : &silentHost) {}

void TAppContext::setHost(THost* host) {
    host_ = host ? host : &silentHost;
}

QString TAppContext::uiText(const QString& key) const {
    QString value = texts.value(key);
    if (value.isEmpty()) return key;
    value.replace(QLatin1String("<br>"), QLatin1String("\n"), Qt::CaseInsensitive);
    return value;
}

QString TAppContext::uiTextFormat(const QString& key, const QVariantList& args) const {
    const auto formatted = formatText(uiText(key), args);
    if (!formatted) return QStringLiteral("Args_Error in: ") + key;
    return *formatted;
}

int TAppContext::logMessage(const QString& text, bool showDialog, int buttons) {
    host_->appendLog(text);
    if (!showDialog) return drNone;
    QElapsedTimer timer;
    timer.start();
    const int result = messageDialog(text, buttons, 1000);
    dialogMilliseconds_ += timer.elapsed();
    return result;
}

int TAppContext::messageDialog(const QString& text, int buttons, int intervalMs) {
    if (state.authSound) host_->beep();
    const int result = host_->showMessage(programCaption(), text, buttons, intervalMs);
    if (buttons & dbSelfClosing) return drOk;
    return result;
}

void TAppContext::beginOperation(const QString& message, bool logIt, bool disablePages) {
    disablePages_ = disablePages;
    state.idle = false;
    host_->clearCancelRequest();
    operationTimer_.start();
    dialogMilliseconds_ = 0;
    host_->operationStateChanged(true);
    progressMaximum_ = 100;
    host_->setProgressRange(100);
    host_->setProgress(0);
    if (!message.isEmpty()) {
        host_->setStatusText(2, message);
        if (logIt) host_->appendLog(message);
    }
    refreshStatusLanguage();
    host_->processEvents();
}

void TAppContext::endOperation(bool reportTime) {
    host_->setProgress(progressMaximum_);
    if (reportTime) {
        host_->appendLog(uiText(QStringLiteral("FbK_Total")) + QString::asprintf(" %.2fs", operationSeconds()));
        host_->appendLog(QStringLiteral("-----------------------------------------"));
    }
    host_->setStatusText(2, QString());
    state.idle = true;
    disablePages_ = false;
    host_->operationStateChanged(false);
    host_->processEvents();
}

void TAppContext::progressMax(int maximum) {
    progressMaximum_ = qMax(0, maximum);
    host_->setProgressRange(progressMaximum_);
}

QString TAppContext::statusLanguageText() const {
    return QStringLiteral("[%1]->[%2] %3").arg(state.SourceLang, state.DestLang, state.currentFileName);
}

void TAppContext::refreshStatusLanguage() {
    host_->setStatusText(1, statusLanguageText());
}

void TAppContext::progressStep(int i, int every) {
    if (every <= 0 || i % every != 0) return;
    host_->setProgress(i);
    host_->processEvents();
}

double TAppContext::operationSeconds() const {
    if (!operationTimer_.isValid()) return 0.0;
    return static_cast<double>(qMax<qint64>(0, operationTimer_.elapsed() - dialogMilliseconds_)) / 1000.0;
}

QString TAppContext::versionText() {
    return QStringLiteral(QUILL_VERSION_TEXT);
}

QString TAppContext::programCaption() {
    return QStringLiteral("Quillery ") + versionText();
}
