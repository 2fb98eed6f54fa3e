#pragma once
// The Help menu: the program's home page and what the About box shows.

#include <string>

namespace lex {

struct State;
class Ui;

// The program's home page: "Check Online" opens it and the About box shows and opens it.
std::string home_page(const State& st);

// "Check Online": the home page in the browser.
void check_online(State& st, Ui& ui);

// The About box's version line: "Version 1.22".
std::string about_version(const State& st);

// A local path as a file:// address, every byte outside the unreserved set percent-encoded.
std::string file_address(const std::string& path);

} // namespace lex
