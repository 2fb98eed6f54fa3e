#include "app/cli/console_ui.h"

#include "document/plain_text.h"
#include "view/state.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace lex::cli {

namespace {

// Line breaks as the terminal's; no control character reaches it (a server's reason, a label
// read from a file). Labels in a code page keep their bytes.
std::string console_text(const std::string& text) {
    return plain_text(text, {.line_breaks = true, .other_bytes = true});
}

bool stderr_is_terminal() {
    static const bool terminal = isatty(2) != 0;
    return terminal;
}

} // namespace

void say(const std::string& text) {
    std::fprintf(stderr, "lexmarin-cli: %s\n", console_text(text).c_str());
}

void print(const std::string& text) {
    const std::string out = console_text(text);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fputc('\n', stdout);
}

void ConsoleUi::show(const std::string& text) {
    if (holding)
        held.push_back(text);
    else
        say(text);
}

void ConsoleUi::message(const Message& message) {
    if (messages_to_stdout && !holding)
        print(message.text);
    else
        show(message.text);
}

bool ConsoleUi::ask(const Question& question) {
    const bool yes = answer && answer(question.id);
    show(question.text + (yes ? " Yes" : " No"));
    return yes;
}

int ConsoleUi::choose(const Question& question, const std::vector<Answer>& answers) {
    const std::string& text = question.text;
    if (answers.empty()) return -1;
    const int id = choice ? choice(answers) : answers.back().id;
    const auto chosen =
        std::find_if(answers.begin(), answers.end(), [&](const Answer& a) { return a.id == id; });
    show(text + " " + (chosen == answers.end() ? answers.back() : *chosen).caption);
    return chosen == answers.end() ? answers.back().id : id;
}

std::string ConsoleUi::choose_file(const FileRequest& request) {
    return chosen_file.empty() ? join_path(request.folder, request.proposed) : chosen_file;
}

void ConsoleUi::process_events() {
    QCoreApplication::processEvents();
}

void ConsoleUi::view_file(const std::string& path) {
    if (path == report_path) print(report_);
}

bool ConsoleUi::replace_file(const std::string& path, std::string_view bytes, std::string& why) {
    if (!report_path.empty() && path == report_path) {
        report_.assign(bytes);
        while (!report_.empty() && (report_.back() == '\n' || report_.back() == '\r'))
            report_.pop_back();
        return true;
    }
    return qt_file_writer().replace_file(path, bytes, why);
}

bool ConsoleUi::replace_with_new_file(const std::string& path, std::string_view bytes,
                                      unsigned mode, std::string& why) {
    if (!report_path.empty() && path == report_path) return replace_file(path, bytes, why);
    return FileWriter::replace_with_new_file(path, bytes, mode, why);
}

Date ConsoleUi::today() {
    return qt_file_writer().today();
}

void ConsoleUi::release() {
    holding = false;
    for (const std::string& text : held) say(text);
    held.clear();
}

void Progress::start(const std::string& task, std::size_t total) {
    task_ = task;
    total_ = total;
    done_ = 0;
    shown_ = -1;
    active_ = true;
    draw();
}

void Progress::advance(std::size_t done) {
    if (!active_) return;
    done_ = std::min(total_, done_ + done);
    draw();
}

void Progress::finish() {
    if (!active_) return;
    active_ = false;
    if (stderr_is_terminal() && shown_ >= 0) std::fputc('\n', stderr);
}

void Progress::draw() {
    const int percent = total_ == 0 ? 100 : int(done_ * 100 / total_);
    if (stderr_is_terminal()) {
        constexpr int kWidth = 30;
        const std::string bar = std::string(std::size_t(percent * kWidth / 100), '#') +
                                std::string(std::size_t(kWidth - percent * kWidth / 100), '.');
        std::fprintf(stderr, "\r%s [%s] %3d%% %zu/%zu", task_.c_str(), bar.c_str(), percent, done_,
                     total_);
        std::fflush(stderr);
    } else if (shown_ < 0 || percent / 10 > shown_ / 10) {
        std::fprintf(stderr, "%s: %d%% (%zu of %zu labels)\n", task_.c_str(), percent, done_,
                     total_);
    } else {
        return;
    }
    shown_ = percent;
}

} // namespace lex::cli
