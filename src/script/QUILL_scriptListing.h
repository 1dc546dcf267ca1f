// The script listing: the object model of a compiled script written as pseudo-code lines, with section markers that
// collapse and expand, and the jump targets the gutter follows. Headless; the page view shows `lines`.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class TPexScript;
struct TpexFunc;
struct TpexOp;

// Line kinds.
enum : uint8_t {
    pexLineText = 0,
    pexLineVariable = 1,
    pexLineProperty = 2,
    pexLineState = 3,
    pexLineFunction = 4,
    pexLineStructOrLocal = 5,
    pexLineInstruction = 10,
    pexLineVarsSection = 20,
    pexLinePropsSection = 21,
    pexLineStructSection = 22,
};

class tpexObjLine {
public:
    tpexObjLine(uint8_t type, uint32_t element) : datatype(type), index(element) {}
    uint8_t datatype;
    // The model element of the line: its position in the script-wide vector of its kind (pexStates for a state,
    // pexFuncs for a function, pexVars, pexProps, pexStructs, pexVarTypes, pexOps), 0 for other lines.
    uint32_t index;
};

class tpexFeedbackData {
public:
    QStringList header;
    std::vector<tpexObjLine> LineList; // element i belongs to line i + 1
    QStringList lines;                 // the text of each line, parallel to LineList
    bool varOpen = true;
    bool propOpen = false;
    bool structOpen = true;

    // Before each load: the struct section keeps its state so that a collapsed one stays collapsed.
    void reset() {
        header.clear();
        clearLineList();
        varOpen = true;
        propOpen = true;
    }
    void clearLineList() {
        LineList.clear();
        lines.clear();
    }
    int lineCount() const { return static_cast<int>(lines.size()); }
};

// Rebuilds the whole listing of `script` (every section as its open flags say).
void buildListing(TPexScript& script);
// Builds the listing when the script's body was read whole and no listing exists yet. The load leaves the listing
// to its first display, so that opening a large script does not pay for text nobody looks at.
void ensureListing(TPexScript& script);

// True when the line (1-based) carries a marker that collapses or expands something.
bool isMarkerLine(const tpexFeedbackData& listing, int line);
// Flips the open flag the marker line stands for and rebuilds the listing; false when the line has no marker.
bool toggleMarker(TPexScript& script, int line);
// The line a gutter click on `line` goes to: the line plus the number after the first "jump"; 0 when the line
// has no "jump" or the target lies outside the listing.
int gutterJumpTarget(const QStringList& lines, int line);

// The small texts of the listing. Those of operands throw TQuillError when the operands cannot be decoded.
QString docText(const QString& text);
QString operandText(const TPexScript& script, const TpexOp& instruction, int index);
QString argumentList(const TPexScript& script, const TpexOp& instruction, int first);
QString resultPrefix(const QString& text);
// The type of the local of `function` named `name`, empty when it has none of that name.
QString localType(const TPexScript& script, const QString& name, const TpexFunc& function);
QString arrayTypeWithSize(const QString& type, const QString& size);
// The text of one instruction of `function` without its prefix; for operands that cannot be decoded, a text that
// says so with the error.
QString instructionText(const TPexScript& script, const TpexOp& instruction, const TpexFunc& function);
