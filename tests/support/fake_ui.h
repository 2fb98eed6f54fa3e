#pragma once
// A scripted Ui for tests: records messages, questions and file requests, answers questions and
// file dialogs from queues (No and "cancel" when a queue runs dry).

#include "document/ui.h"

#include <deque>
#include <string>
#include <vector>

namespace lex::test {

class FakeUi : public Ui {
public:
    std::vector<std::string> messages, questions, viewed;
    std::deque<bool> answers;
    std::deque<std::string> files;
    std::vector<FileRequest> requests;
    bool busyNow = false;

    void message(const std::string& text) override { messages.push_back(text); }
    bool ask(const std::string& text) override {
        questions.push_back(text);
        return next(answers, false);
    }
    std::string choose_file(const FileRequest& request) override {
        requests.push_back(request);
        return next(files, std::string());
    }
    void process_events() override {}
    void busy(bool on) override { busyNow = on; }
    void view_file(const std::string& path) override { viewed.push_back(path); }
    void start_program(const std::string&, const std::string&) override {}
    void open_url(const std::string&) override {}

private:
    template <class T> static T next(std::deque<T>& queue, T none) {
        if (queue.empty()) return none;
        T first = queue.front();
        queue.pop_front();
        return first;
    }
};

} // namespace lex::test
