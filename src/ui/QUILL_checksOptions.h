// The options dialog's page of the quality checks: a switch per check with what it finds, and whether validating a
// string with problems asks first.
#pragma once

#include "aids/QUILL_checks.h"

#include <QWidget>
#include <array>

class QCheckBox;
class TAppContext;
struct rOptionsChoice;

class TChecksOptionsPage : public QWidget {
    Q_OBJECT
public:
    TChecksOptionsPage(const TAppContext& app, QWidget* parent = nullptr);
    // Puts the switches as the boxes hold them into the dialog's choice.
    void read(rOptionsChoice& choice) const;
    QCheckBox* checkBox(quillcheck::TCheck check) const { return boxes_[static_cast<size_t>(check)]; }
    QCheckBox* askBox() const { return askBox_; }

private:
    std::array<QCheckBox*, quillcheck::kCheckCount> boxes_{};
    QCheckBox* askBox_ = nullptr;
};
