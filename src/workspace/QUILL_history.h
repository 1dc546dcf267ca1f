// The edit history: every command that changes entries leaves one undo step holding, for each entry it changed, the
// translation, status and flags before and after. Also the saved point the unsaved-work rule is measured from.
#pragma once

#include "strings/QUILL_typedef.h"

#include <QSet>
#include <QString>
#include <vector>

// What a command may change in an entry, and what an undo step puts back.
struct rEntryState {
    QString translation;
    uint32_t translationHash = 0;
    sStrParams status;
    sStrInternalParams flags;
    float LDResult = 99.0f;
    int32_t LDFound = 0;

    static rEntryState of(const tSkyStr& entry);
    void applyTo(tSkyStr& entry) const;
    bool operator==(const rEntryState& other) const;
};

struct rEntryChange {
    tSkyStr* entry = nullptr; // not owned: the history is cleared whenever the entries are freed
    rEntryState before;
    rEntryState after;
};

struct TEditStep {
    QString name; // shown as "Undo <name>" / "Redo <name>"
    std::vector<rEntryChange> changes;
};

class TEditHistory {
public:
    // Adds a step after the current one; the steps that could be redone are dropped.
    void push(TEditStep step);
    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < steps_.size(); }
    QString undoName() const;
    QString redoName() const;
    // Puts the entries of the step before the current position back as they were before it; null when none.
    const TEditStep* undo();
    // Does the next step again; null when none.
    const TEditStep* redo();
    void clear();

    // The saved point: the work is unsaved while the position differs from it.
    void markSaved() { savedPosition_ = static_cast<qsizetype>(position_); }
    // A change no step can take back (an entry added, say): no position counts as saved until the next save.
    void markUnsavable() { savedPosition_ = -1; }
    bool atSavedPoint() const { return savedPosition_ == static_cast<qsizetype>(position_); }
    size_t stepCount() const { return steps_.size(); }

private:
    std::vector<TEditStep> steps_;
    size_t position_ = 0; // steps before it are done
    qsizetype savedPosition_ = 0;
};

// Records what one command changes in a set of entries: the states are taken when the recorder is made (or as entries
// are added to it) and compared when it is finished.
class TEntryRecorder {
public:
    // Takes the state of every entry of the lists (and of the further entries sharing their ids).
    void addAll(const tListSet& lists, const tSkyStrList& shared);
    // Takes the state of one more entry (once: an entry already taken keeps its first state).
    void add(tSkyStr* entry);
    // The changes since the states were taken, in the order the entries were added.
    std::vector<rEntryChange> changes() const;

private:
    std::vector<std::pair<tSkyStr*, rEntryState>> before_;
    QSet<const tSkyStr*> taken_; // the entries add() took
    bool all_ = false;           // addAll took every entry
};
