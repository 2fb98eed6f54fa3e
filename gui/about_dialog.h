#pragma once
// The About box "Information": the program's title, its version and its home page.

#include <QDialog>

#include <string>

class QLabel;

namespace lex {

class Ui;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // `address` is shown in a label that opens it through `ui` when clicked.
    AboutDialog(const std::string& version, const std::string& address, Ui& ui,
                QWidget* parent = nullptr);

    QLabel* addressLabel() const { return address_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Ui& ui_;
    std::string url_;
    QLabel* address_ = nullptr;
};

} // namespace lex
