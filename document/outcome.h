#pragma once
// What a command did, for a caller that acts on it (the command line's exit status, a
// command that goes on only after another succeeded). The person at the screen has been told
// already: the reason repeats what was said.

#include <string>

namespace lex {

struct Outcome {
    enum class Kind {
        kDone,      // the command did its work (it may have found nothing to do)
        kCancelled, // the person said No, closed a dialog, or stopped the run
        kRefused,   // the command cannot start as things are (nothing open, no language, ...)
        kFailed,    // the command started and could not finish (a file, the service, ...)
    };
    Kind kind = Kind::kDone;
    int count = 0;      // what it did: rows, labels, elements; 0 when nothing
    int doubtful = 0;   // of those, the ones to look at again (rows under another label, ...)
    std::string reason; // what was said, for every kind but kDone

    static Outcome done(int count = 0, int doubtful = 0) {
        return {Kind::kDone, count, doubtful, {}};
    }
    static Outcome cancelled() { return {Kind::kCancelled, 0, 0, {}}; }
    static Outcome refused(std::string why) { return {Kind::kRefused, 0, 0, std::move(why)}; }
    static Outcome failed(std::string why) { return {Kind::kFailed, 0, 0, std::move(why)}; }

    bool ok() const { return kind == Kind::kDone; }
    explicit operator bool() const { return ok(); }
};

} // namespace lex
