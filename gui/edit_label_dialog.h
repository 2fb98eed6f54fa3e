#pragma once
// The modal "Edit Label" dialog: one text box, "Apply Changes" and "Cancel".

#include <QDialog>

#include <optional>
#include <string>

class QLineEdit;
class QPushButton;

namespace lex {

class Ui;

class EditLabelDialog : public QDialog {
    Q_OBJECT
public:
    // `text` and the result are bytes of `codepage`; `ui` says when the text is refused.
    EditLabelDialog(Ui& ui, const std::string& text, int codepage, QWidget* parent = nullptr);

    // The bytes applied; set once "Apply Changes" closed the dialog.
    const std::string& applied() const { return applied_; }

    QLineEdit* textBox() const { return text_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void onApply();

    Ui& ui_;
    int codepage_;
    std::string applied_;
    QLineEdit* text_;
    QPushButton* apply_;
    QPushButton* cancel_;
};

// Shows the dialog in the middle of the screen and waits for it to close: the applied bytes,
// or nothing when it was cancelled.
std::optional<std::string> editLabel(QWidget* parent, Ui& ui, const std::string& text,
                                     int codepage);

} // namespace lex
