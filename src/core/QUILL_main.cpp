// Application state helpers and the application context.
#include "core/QUILL_main.h"

#include "core/QUILL_format.h"

#include <limits>

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
    if (!clock_.isValid()) clock_.start();
    const bool outermost = operationStarts_.empty();
    operationStarts_.push_back({clock_.elapsed(), dialogMilliseconds_});
    if (outermost) {
        disablePages_ = disablePages;
        state.idle = false;
        host_->clearCancelRequest();
        host_->operationStateChanged(true);
    }
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
    if (operationStarts_.empty()) return;
    host_->setProgress(progressMaximum_);
    if (reportTime) {
        host_->appendLog(uiText(QStringLiteral("FbK_Total")) + QString::asprintf(" %.2fs", operationSeconds()));
        logSeparator();
    }
    operationStarts_.pop_back();
    if (!operationStarts_.empty()) return;
    host_->setStatusText(2, QString());
    state.idle = true;
    disablePages_ = false;
    host_->operationStateChanged(false);
    host_->processEvents();
}

void TAppContext::logSeparator() {
    host_->appendLog(QLatin1String(kLogSeparator));
}

TOperation::TOperation(TAppContext& app, const QString& message, bool logIt, bool disablePages) : app_(app) {
    app_.beginOperation(message, logIt, disablePages);
}

TOperation::~TOperation() {
    end();
}

void TOperation::end(bool reportTime) {
    if (!running_) return;
    running_ = false;
    app_.endOperation(reportTime);
}

namespace {

int clampToInt(qint64 n) {
    return static_cast<int>(qBound(qint64(0), n, qint64(std::numeric_limits<int>::max())));
}

} // namespace

void TAppContext::progressMax(qint64 maximum) {
    progressMaximum_ = clampToInt(maximum);
    host_->setProgressRange(progressMaximum_);
}

QString TAppContext::statusLanguageText() const {
    return QStringLiteral("[%1]->[%2] %3").arg(state.SourceLang, state.DestLang, state.currentFileName);
}

void TAppContext::refreshStatusLanguage() {
    host_->setStatusText(1, statusLanguageText());
}

void TAppContext::progressAt(qint64 position) {
    host_->setProgress(clampToInt(position));
}

void TAppContext::progressStep(qint64 i, qint64 every) {
    if (every <= 0 || i % every != 0) return;
    host_->setProgress(clampToInt(i));
    host_->processEvents();
}

double TAppContext::operationSeconds() const {
    if (operationStarts_.empty()) return 0.0;
    const rOperationStart& start = operationStarts_.back();
    const qint64 dialogs = dialogMilliseconds_ - start.dialogMilliseconds;
    return static_cast<double>(qMax<qint64>(0, clock_.elapsed() - start.milliseconds - dialogs)) / 1000.0;
}

QString TAppContext::versionText() {
    return QStringLiteral(QUILL_VERSION_TEXT);
}

QString TAppContext::programCaption() {
    return QStringLiteral("Quillery ") + versionText();
}
