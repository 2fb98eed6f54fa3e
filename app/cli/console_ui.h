#pragma once
// The Ui of the command line: messages on standard error, questions answered by the rule of
// the running command, reports on standard output, progress on standard error. It is also the
// file writer of the session: the report a command writes into the program folder is kept in
// memory and printed instead; every other file is written atomically as the window writes it.

#include "document/file_writer.h"
#include "document/ui.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace lex::cli {

// Prints `text` on standard error with the program's name in front, CR LF as LF.
void say(const std::string& text);
// Prints `text` on standard output, CR LF as LF, with a line end after it.
void print(const std::string& text);

class ConsoleUi : public Ui, public FileWriter {
public:
    // How the running command answers a question, by its id; unset: No. Every question is
    // printed with its answer.
    std::function<bool(QuestionId)> answer;
    // How the running command answers a question with several answers (Ui::choose): the id of
    // its answer; unset: the answer that leaves everything as it was. Printed like a question.
    std::function<int(const std::vector<Answer>&)> choice;
    // What a file dialog gives: this path, or when it is empty the proposed name in the
    // proposed folder.
    std::string chosen_file;
    // Messages go to standard output: they are the command's report.
    bool messages_to_stdout = false;
    // Messages and questions are kept in `held` instead of printed.
    bool holding = false;
    std::vector<std::string> held;
    // Reports written to this path are kept and printed when viewed.
    std::string report_path;

    void message(const Message& message) override;
    bool ask(const Question& question) override;
    int choose(const Question& question, const std::vector<Answer>& answers) override;
    std::string choose_file(const FileRequest& request) override;
    void process_events() override;
    void busy(bool) override {}
    void view_file(const std::string& path) override;
    void start_program(const std::string&, const std::vector<std::string>&) override {}
    void open_url(const std::string&) override {}

    bool replace_file(const std::string& path, std::string_view bytes, std::string& why) override;
    bool replace_with_new_file(const std::string& path, std::string_view bytes, unsigned mode,
                               std::string& why) override;
    Date today() override;

    // Prints what was held on standard error and stops holding.
    void release();

private:
    void show(const std::string& text);
    std::string report_;
};

// How far a long run is, on standard error: a bar redrawn in place on a terminal, a line at
// every tenth otherwise (a log file).
class Progress {
public:
    void start(const std::string& task, std::size_t total);
    void advance(std::size_t done);
    void finish();

private:
    void draw();
    std::string task_;
    std::size_t total_ = 0;
    std::size_t done_ = 0;
    int shown_ = -1; // the last percentage drawn
    bool active_ = false;
};

} // namespace lex::cli
