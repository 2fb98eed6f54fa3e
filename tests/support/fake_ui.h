#pragma once
// A scripted Ui for tests: records every message and question, answers questions and file
// dialogs from queues (No and "cancel" when a queue runs dry).

#include "document/ui.h"

#include <deque>
#include <string>
#include <vector>

namespace lex::test {

class FakeUi : public Ui {
public:
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    std::deque<std::string> files;
    std::vector<FileRequest> requests;
    std::vector<std::string> viewed;
    std::vector<std::pair<std::string, std::string>> started;
    std::vector<std::string> urls;
    int events = 0;
    int busyDepth = 0;
    bool busyNow = false;

    void message(const std::string& text) override { messages.push_back(text); }
    bool ask(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string choose_file(const FileRequest& request) override {
        requests.push_back(request);
        if (files.empty()) return {};
        std::string f = files.front();
        files.pop_front();
        return f;
    }
    void process_events() override { ++events; }
    void busy(bool on) override { busyNow = on; }
    void view_file(const std::string& path) override { viewed.push_back(path); }
    void start_program(const std::string& program, const std::string& argument) override {
        started.emplace_back(program, argument);
    }
    void open_url(const std::string& url) override { urls.push_back(url); }
};

} // namespace lex::test
