#pragma once
// Saving the document: the checks, the dated backup copy, the write of the saved text and the
// reload.

#include "document/file_writer.h"
#include "document/outcome.h"
#include "document/saved_text.h"

#include <string>

namespace lex {

struct State;
class Ui;

// Where the backup copy of `file` made on `d` goes: the backup folder, the file title, the date
// and ".txt".
std::string backup_path(const State& st, const std::string& file, const Date& d);

// Saves the document to `path`; an empty path asks for one (Save As) and writes it back. With
// st.kept.keep_layout the file keeps its layout and only what changed is rewritten
// (build_layout_kept_text); otherwise the sections are written in the save's order.
// Returns done when the file was written; refused when there is nothing to save; cancelled
// when no file was chosen or a question was answered No; failed, nothing written, when the
// file or its backup could not be written or the saved text would not open again.
Outcome save_document(State& st, Ui& ui, std::string& path);

} // namespace lex
