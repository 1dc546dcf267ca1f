// Writes that fail on purpose: a scope that makes one step of every file write fail as the system would (a full disk,
// a refused rename), and what tests check afterwards (no temporary file left behind).
#pragma once

#include "core/QUILL_files.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <memory>
#include <system_error>

// Every step a write can fail at, in the order a write takes them.
inline constexpr std::array<quillfs::tWriteStep, 4> kAllWriteSteps = {
    quillfs::tWriteStep::open, quillfs::tWriteStep::write, quillfs::tWriteStep::flush, quillfs::tWriteStep::replace};

inline const char* writeStepName(quillfs::tWriteStep step) {
    switch (step) {
    case quillfs::tWriteStep::open:
        return "before the first byte";
    case quillfs::tWriteStep::write:
        return "in the middle";
    case quillfs::tWriteStep::flush:
        return "at the flush";
    case quillfs::tWriteStep::replace:
        return "at the rename";
    }
    return "?";
}

// The system's own words for a full disk.
inline QString diskFullReason() {
    return QString::fromStdString(std::make_error_code(std::errc::no_space_on_device).message());
}

// While it lives, `step` of writes whose target contains `pathPart` (every write when empty) fails with `reason`;
// only the `nth` such write (counting from 1) fails when `nth` is given.
class TWriteFaultScope {
public:
    explicit TWriteFaultScope(quillfs::tWriteStep step, QString pathPart = {}, int nth = 0,
                              QString reason = diskFullReason())
        : hits_(std::make_shared<std::atomic<int>>(0)) {
        quillfs::setWriteFault(
            [step, pathPart, nth, reason, hits = hits_](quillfs::tWriteStep at, const QString& target) {
                if (at != step || !target.contains(pathPart)) return QString();
                const int hit = ++*hits;
                return nth == 0 || hit == nth ? reason : QString();
            });
    }
    ~TWriteFaultScope() { quillfs::setWriteFault({}); }
    TWriteFaultScope(const TWriteFaultScope&) = delete;
    TWriteFaultScope& operator=(const TWriteFaultScope&) = delete;
    // How many writes reached the step.
    int hits() const { return *hits_; }

private:
    std::shared_ptr<std::atomic<int>> hits_;
};

// The temporary files a write left in `folder` (it must leave none, whatever failed).
inline QStringList leftoverTemporaries(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden);
}
