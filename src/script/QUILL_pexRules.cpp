// The string-use rules as one pass over a read script's model.
#include "script/QUILL_pexRules.h"

namespace {

class TPexRules {
public:
    TPexRules(TPexScript& script, const QStringList& noTransProcList)
        : script_(script), table_(script.pexStringTable), listed_(table_.size(), 0) {
        for (const QString& name : noTransProcList)
            calls_.insert(name.toCaseFolded());
    }

    rPexRuleState run() {
        for (rPex& entry : table_) {
            entry.auth = true;
            entry.warn = false;
        }
        for (const uint16_t name : script_.pexNames)
            lock(name);
        for (const TpexVar& variable : script_.pexVars) {
            if (variable.data.ident == pexValueIdentifier)
                lock(variable.data.value);
            else if (variable.data.ident == pexValueString) // followed by name like an assignment
                state_.assignPairs.emplace_back(variable.name, variable.data.index());
        }
        for (const TpexOp& op : script_.pexOps)
            instruction(op);
        if (script_.bodyError.isEmpty()) lockStoredInNoTransVariables();
        return std::move(state_);
    }

private:
    void lock(uint32_t index) {
        if (script_.isStringIndex(index)) table_[index].auth = false;
    }
    bool isListedCall(uint32_t index) {
        if (!script_.isStringIndex(index)) return false;
        uint8_t& known = listed_[index];
        if (known == 0) known = calls_.contains(table_[index].s.toCaseFolded()) ? 1 : 2;
        return known == 1;
    }
    void instruction(const TpexOp& op);
    void lockStoredInNoTransVariables();

    TPexScript& script_;
    std::vector<rPex>& table_;
    QSet<QString> calls_;
    // Per string index: 0 not decided, 1 a listed call name, 2 not one.
    std::vector<uint8_t> listed_;
    rPexRuleState state_;
};

void TPexRules::instruction(const TpexOp& op) {
    const TPexOperands args = script_.args(op);
    const bool assignment = op.opCode == 13;
    const bool call = pexHasVariableArguments(op.opCode);
    const bool compare = op.opCode >= 15 && op.opCode <= 19;
    const qsizetype fixed = std::min<qsizetype>(pexFixedOperandCount(op.opCode), args.size());
    int32_t destination = -1; // of an assignment, once read
    bool matches = false;
    for (qsizetype i = 0; i < fixed; ++i) {
        const TpexVarData& value = args[i];
        if (value.ident == pexValueIdentifier) {
            lock(value.value);
            if (call && isListedCall(value.value)) matches = true;
            if (assignment) destination = static_cast<int32_t>(value.value);
        } else if (value.ident == pexValueString) {
            if (destination >= 0)
                state_.assignPairs.emplace_back(static_cast<uint16_t>(destination), value.index());
            else if (assignment || call)
                lock(value.value);
            if (compare && script_.isStringIndex(value.value)) table_[value.value].warn = true;
        }
    }
    for (qsizetype i = fixed; i < args.size(); ++i) { // a call's variable arguments
        const TpexVarData& value = args[i];
        if (value.ident == pexValueIdentifier) {
            lock(value.value);
            if (matches) state_.noTransVariables.insert(script_.pexText(value.value).toCaseFolded());
        } else if (value.ident == pexValueString && matches) {
            lock(value.value);
        }
    }
}

// Variables are matched by name only, across all functions and objects, wherever the call is.
void TPexRules::lockStoredInNoTransVariables() {
    if (state_.noTransVariables.isEmpty()) return;
    // Per name index: 0 not decided, 1 a variable passed to a matching call, 2 not one.
    std::vector<uint8_t> passed(table_.size(), 0);
    for (const auto& [name, text] : state_.assignPairs) {
        if (!script_.isStringIndex(name)) continue;
        uint8_t& known = passed[name];
        if (known == 0) known = state_.noTransVariables.contains(table_[name].s.toCaseFolded()) ? 1 : 2;
        if (known == 1) lock(text);
    }
}

} // namespace

rPexRuleState applyPexStringRules(TPexScript& script, const QStringList& noTransProcList) {
    return TPexRules(script, noTransProcList).run();
}
