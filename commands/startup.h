#pragma once
// The start-up sequence of the program.

#include "document/folders.h"
#include "translate/services.h"

#include <functional>
#include <string>
#include <vector>

namespace lex {

struct State;
class Ui;

// The directions of the offline engine when translations would go to it, else none; asked on a
// first start only, with the settings as they stand then.
using EngineDirections = std::function<std::vector<EngineStep>(const State&)>;

// The start-up sequence: defaults, backup folder, language lists, settings, dictionary, the
// permanent rows, the document named by `commandLine` (taken whole), the title. A first start
// (no settings file) lets `engine` choose the target language (see serve_first_target).
void startup(State& st, Ui& ui, const Folders& folders, const std::string& commandLine,
             const EngineDirections& engine = {});

// On a first start that translates with the offline engine: when the engine cannot translate
// the source into the default target, the target becomes the first language of the list it
// can, directly or through a chain (the direct ones first, then by the chain's length). True
// when the target changed.
bool serve_first_target(State& st, const std::vector<EngineStep>& directions);

} // namespace lex
