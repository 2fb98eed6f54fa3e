#pragma once
// A state and a scripted Ui in a fresh folder, English to German, and documents opened from
// files written there.

#include "document/loading.h"
#include "document/state.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace lex::test {

// The captions, the target texts and the target colours of a pane's rows joined by "|";
// colours as W white, R red, B light blue.
inline std::string captions(const State& st, int kind) {
    std::string out;
    for (int r = 0; r < st.count(kind); ++r)
        out += (r ? "|" : "") + st.pane(kind).rows[std::size_t(r)].caption;
    return out;
}
inline std::string texts(const State& st, int kind) {
    std::string out;
    for (int r = 0; r < st.count(kind); ++r)
        out += (r ? "|" : "") + st.pane(kind).rows[std::size_t(r)].text;
    return out;
}
inline std::string colours(const State& st, int kind) {
    std::string out;
    for (int r = 0; r < st.count(kind); ++r) {
        const Rgb c = st.pane(kind).rows[std::size_t(r)].back;
        out += c == kWhite ? 'W' : c == kRed ? 'R' : c == st.hilite ? 'B' : '?';
    }
    return out;
}

class DocTest : public ::testing::Test {
protected:
    TempDir dir;
    State st;
    FakeUi ui;
    void SetUp() override {
        set_defaults(st, dir.str());
        st.tolang2 = st.tolang;
    }
    bool open(const std::string& name, const std::string& bytes) {
        std::string path = dir.write(name, bytes);
        return opentxt(st, ui, path);
    }
};

} // namespace lex::test
