#pragma once
// "Translation Service...": the service, its address, its key (shown as dots), and "Test", which
// translates "Lake" from the source into the target language with what the fields say.

#include "translate/services.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace lex {

struct State;
class Ui;

class ServiceDialog : public QDialog {
    Q_OBJECT
public:
    // `webAddress` is the web page's address as the settings keep it.
    ServiceDialog(State& st, Ui& ui, const ServiceSettings& settings, const std::string& webAddress,
                  QWidget* parent = nullptr);

    // What the fields say, with the shown service chosen.
    ServiceSettings settings();
    std::string webAddress();

    QComboBox* serviceBox() const { return service_; }
    QLineEdit* addressEdit() const { return address_; }
    QLineEdit* keyEdit() const { return key_; }
    QPushButton* testButton() const { return test_; }
    QLabel* resultLabel() const { return result_; }
    QCheckBox* memoryBox() const { return memory_; }
    QSpinBox* thresholdBox() const { return threshold_; }

    void accept() override;
    void reject() override;

private:
    void show_service(int index); // the fields of service `index`
    void keep_fields();           // the fields into settings_
    void run_test();

    State& st_;
    Ui& ui_;
    ServiceSettings settings_;
    std::string webAddress_;
    int shown_ = -1;
    bool testing_ = false;
    bool closePending_ = false; // closed during a test: closes when the test has ended

    QComboBox* service_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLineEdit* key_ = nullptr;
    QPushButton* test_ = nullptr;
    QLabel* result_ = nullptr;
    QCheckBox* memory_ = nullptr;
    QSpinBox* threshold_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

} // namespace lex
