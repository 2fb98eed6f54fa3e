#pragma once
// The Ui of the window: message boxes, file dialogs, the busy pointer, the desktop's viewer and
// browser. The dialogs may be handed to another Ui (tests script them); events, the busy
// pointer and redrawing stay with the window.

#include "document/ui.h"

#include <functional>

class QWidget;

namespace lex {

class QtUi : public Ui {
public:
    explicit QtUi(QWidget* owner, Ui* dialogs = nullptr) : owner_(owner), dialogs_(dialogs) {}
    void message(const Message& message) override;
    bool ask(const Question& question) override;
    int choose(const Question& question, const std::vector<Answer>& answers) override;
    std::string choose_file(const FileRequest& request) override;
    void process_events() override;
    void busy(bool on) override;
    void refresh(RefreshTarget target) override;
    void view_file(const std::string& path) override;
    bool start_viewer(const std::string& path) override;
    void start_program(const std::string& program,
                       const std::vector<std::string>& arguments) override;
    void open_url(const std::string& url) override;

    void set_dialogs(Ui* dialogs) { dialogs_ = dialogs; }
    // What redraws the window when the model changed (see Ui::refresh).
    void set_refresh(std::function<void(RefreshTarget)> refresh) { refresh_ = std::move(refresh); }

private:
    QWidget* owner_;
    Ui* dialogs_;
    std::function<void(RefreshTarget)> refresh_;
    int busyDepth_ = 0;
};

} // namespace lex
