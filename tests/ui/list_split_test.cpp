// The list and the message sharing the window's extra height, the handle
// between them, and the window's size kept for the next run.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>

#include "app/extra_settings.hpp"
#include "support/fake_window.hpp"
#include "ui/layout.hpp"
#include "ui/list_split.hpp"
#include "ui/window_logic.hpp"

using namespace pelicard;

namespace {

struct Split : pelicard::testing::FakeWindow {
    std::map<std::string, std::array<int, 4>, std::less<>> at;  // left, top, width, height
    State s;
    Split() { s.window = this; }
    void Move(std::string_view c, int l, int t, int w, int h) override { at[std::string(c)] = {l, t, w, h}; }
    void Resize(int width, int height) { Form_Resize(s, width, height, false); }
    int Top(const char* c) { return at[c][1]; }
    // The list's and the body's heights beyond their start ones (2190, 2550).
    std::pair<int, int> Grown() { return {at["lvwMessages"][3] - 2190, at["txtBody"][3] - 2550}; }
};

TEST(ListSplit, TheExtraHeightIsSharedAsKeptAndTheStartPlacesStayAtTheSmallestSize) {
    // part kept ("" none), height beyond the smallest, list's and body's extra
    struct Case { const char* part; int extra, list, body; };
    for (const Case& c : {Case{"", -900, 0, 0}, Case{"10000", 0, 0, 0}, Case{"", 1000, 500, 500},
                          Case{"0", 1000, 0, 1000} /* H + 2550 - 8100 */, Case{"2500", 3001, 750, 2251},
                          Case{"10001", 1000, 500, 500}}) {
        SCOPED_TRACE(std::string(c.part) + " " + std::to_string(c.extra));
        Split t;
        if (*c.part) SetExtraValue(t.s.app.extra, kListShareKey, c.part);
        t.Resize(kMinWindowWidth + (c.extra > 0 ? 2000 : -500), kMinWindowHeight + c.extra);
        EXPECT_EQ(t.Grown(), std::pair(c.list, c.body));
        EXPECT_EQ(t.enabled["splMessages"], c.extra > 0);
        for (const char* name : {"splMessages", "lblTxt", "lblGrouping", "txtSubject", "txtBody"})
            EXPECT_EQ(t.Top(name), FindStartPlace(name)->top + c.list) << name;
        for (const ControlPlace& p : StartLayout()) {
            if (c.extra > 0 || !t.at.count(p.name)) continue;
            EXPECT_EQ(t.at[std::string(p.name)], (std::array{p.left, p.top, p.width, p.height})) << p.name;
        }
    }
}

TEST(ListSplit, TheHandleMovesTheLineWithinBothStartHeights) {
    // list's height beyond its start asked, given, part kept
    struct Case { int asked, given; const char* kept; };
    for (const Case& c : {Case{400, 400, "2000"}, Case{1, 1, "5"}, Case{5000, 2000, "10000"}, Case{-90000, 0, "0"}}) {
        Split t;
        t.Resize(kMinWindowWidth, kMinWindowHeight + 2000);
        splMessages_Drag(t.s, 2190 + c.asked);
        EXPECT_EQ(t.Grown(), std::pair(c.given, 2000 - c.given)) << c.asked;
        EXPECT_EQ(ExtraValue(t.s.app.extra, kListShareKey), c.kept);
    }
    Split t;  // the smallest height: nothing to share
    t.Resize(kMinWindowWidth, kMinWindowHeight), t.at.clear();
    splMessages_Drag(t.s, 3000);
    EXPECT_TRUE(t.at.empty() && !t.s.app.extra.changed);
}

TEST(ListSplit, TheKeptSizeComesBackWithinTheScreenAndNeverBelowTheStart) {
    // file, screen's outer twips, size given
    struct Case { const char* file; int screenW, screenH, w, h; };
    for (const Case& c : {Case{"# autre", 19200, 13000, 11055, 8100}, Case{"fenetre_largeur=15000\nfenetre_hauteur=11000", 19200, 13000, 15000, 11000},
                          Case{"fenetre_largeur=30000\nfenetre_hauteur=20000", 19200, 13000, 19200, 13000},
                          Case{"fenetre_largeur=15000\nfenetre_hauteur=11000", 9000, 7000, 11055, 8100},
                          Case{"fenetre_largeur=5000\nfenetre_hauteur=1e9", 19200, 13000, 11055, 8100}}) {
        const WindowSize size = RememberedWindowSize(ParseExtraSettings(c.file), c.screenW, c.screenH);
        EXPECT_EQ(std::pair(size.width, size.height), std::pair(c.w, c.h)) << c.file;
    }
}

}  // namespace
