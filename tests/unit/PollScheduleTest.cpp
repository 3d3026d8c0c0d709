// The poll's decision: a full poll whenever something may have changed, a
// look at the originals once a second while nothing does, and nothing in
// between; the cursor is read only when the scene is looked at.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/PollSchedule.h"

using quillora::PollScene;
using quillora::PollSchedule;
using quillora::PollStep;

namespace {

HWND window(UINT_PTR n) { return reinterpret_cast<HWND>(n); }

// One tick in a scene; counts the scene reads.
struct Ticker {
    PollSchedule schedule;
    PollScene scene{{100, 100}, window(1), window(2)};
    DWORD lastInput = 1000;
    int reads = 0;

    PollStep Tick() {
        return schedule.Next(lastInput, scene.foreground, [&] {
            ++reads;
            return scene;
        });
    }
    // Ticks until the schedule settles (at most a few).
    void Settle() {
        for (int i = 0; i < 5 && Tick() != PollStep::Nothing; ++i) {
        }
    }
};

}  // namespace

TEST(PollSchedule, SettlesAtRestAndThenLooksOnceEveryTenTicksWithoutFullPolls) {
    Ticker t;
    EXPECT_EQ(t.Tick(), PollStep::Full) << "the first tick";
    EXPECT_EQ(t.Tick(), PollStep::Full) << "the scene is settled only once seen twice";
    const int readsBefore = t.reads;
    int looks = 0;
    for (unsigned i = 1; i <= 3 * PollSchedule::kTicksPerLook; ++i) {
        const PollStep step = t.Tick();
        EXPECT_NE(step, PollStep::Full) << "tick " << i;
        if (step == PollStep::LookAtWindows) {
            ++looks;
            EXPECT_EQ(i % PollSchedule::kTicksPerLook, 0u) << "a look off the beat at tick " << i;
        }
    }
    EXPECT_EQ(looks, 3);
    EXPECT_EQ(t.reads - readsBefore, 3) << "the cursor is read only to look";
}

TEST(PollSchedule, InputAWindowEventOrANewForegroundMakesTheNextTickFull) {
    Ticker t;
    t.Settle();
    t.lastInput += 16;
    EXPECT_EQ(t.Tick(), PollStep::Full) << "input";
    t.Settle();
    t.schedule.NoteWindowEvent();
    EXPECT_EQ(t.Tick(), PollStep::Full) << "a window event";
    t.Settle();

    EXPECT_FALSE(t.schedule.IsNewForeground(t.scene.foreground));
    t.scene.foreground = window(7);
    EXPECT_TRUE(t.schedule.IsNewForeground(t.scene.foreground));
    EXPECT_EQ(t.Tick(), PollStep::Full) << "a new foreground window without input";
    EXPECT_FALSE(t.schedule.IsNewForeground(t.scene.foreground)) << "the full poll keeps the new foreground";
}

TEST(PollSchedule, AWindowThatMovesUnderTheRestingCursorIsFoundAtTheNextLook) {
    Ticker t;
    t.Settle();
    t.scene.underCursor = window(9);
    PollStep step = PollStep::Nothing;
    unsigned ticks = 0;
    while (step == PollStep::Nothing && ticks < 2 * PollSchedule::kTicksPerLook) {
        step = t.Tick();
        ++ticks;
    }
    EXPECT_EQ(step, PollStep::Full);
    EXPECT_LE(ticks, PollSchedule::kTicksPerLook);
    EXPECT_EQ(t.Tick(), PollStep::Full) << "not settled until the new scene is seen twice";
    EXPECT_EQ(t.Tick(), PollStep::Nothing);
}
