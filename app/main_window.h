#pragma once

#include "document/state.h"
#include "document/ui.h"

#include <QMainWindow>
#include <memory>

class QLabel;

namespace lex {

// Message boxes, file dialogs and the rest of Ui for a window.
class QtUi : public Ui {
public:
    explicit QtUi(QWidget* owner) : owner_(owner) {}
    void message(const std::string& text) override;
    bool ask(const std::string& text) override;
    std::string choose_file(const FileRequest& request) override;
    void process_events() override;
    void busy(bool on) override;
    void view_file(const std::string& path) override;
    void start_program(const std::string& program, const std::string& argument) override;
    void open_url(const std::string& url) override;

private:
    QWidget* owner_;
    int busyDepth_ = 0;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const std::string& commandLine, QWidget* parent = nullptr);
    State& state() { return st_; }
    Ui& ui() { return *ui_; }
    void showState();

private:
    State st_;
    std::unique_ptr<QtUi> ui_;
    QLabel* info_ = nullptr;
};

} // namespace lex
