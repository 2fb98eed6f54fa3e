#pragma once
// Tools -> "Check Translations": the findings of the translation checks as a list (check, pane,
// row, source, target, message), a box per check to switch it on or off, and the limits of
// "Too long". Choosing an entry goes to its row; the window runs the checks.

#include "document/checks.h"

#include <QDialog>

#include <array>
#include <vector>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace lex {

struct State;

class CheckDialog : public QDialog {
    Q_OBJECT
public:
    explicit CheckDialog(QWidget* parent = nullptr);

    // The boxes and limits show `settings`.
    void setSettings(const CheckSettings& settings);
    CheckSettings settings() const;
    // The list shows `findings` of the rows of `st`, their texts in the cells' code pages.
    void showFindings(const State& st, const std::vector<Finding>& findings);

    QTreeWidget* list() const { return list_; }
    QCheckBox* checkBox(CheckId id) const { return boxes_[std::size_t(id)]; }
    QPushButton* againButton() const { return again_; }
    QLabel* summary() const { return summary_; }

signals:
    void rowChosen(int kind, int row);
    // The checks are to run again: "Check Again", or the choice of checks or limits changed.
    void checkAgain(bool settingsChanged);

private:
    std::array<QCheckBox*, kCheckCount> boxes_{};
    QDoubleSpinBox* ratio_ = nullptr;
    QSpinBox* limit_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* again_ = nullptr;
    bool showing_ = false; // the boxes are being set: no signal
};

} // namespace lex
