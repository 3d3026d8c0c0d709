// The poll's decision: a full poll whenever something may have changed, a
// look at the originals once a second while nothing does, and nothing in
// between; the cursor is read only when the scene is looked at.
#include <gtest/gtest.h>
#include <windows.h>

#include <wtsapi32.h>

#include <optional>

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
    bool cursorReadable = true;
    int reads = 0;

    PollStep Tick() {
        return schedule.Next(lastInput, scene.foreground, [&]() -> std::optional<PollScene> {
            ++reads;
            if (!cursorReadable) return std::nullopt;
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

// The lock screen, a user switch or a remote disconnect take the foreground
// window and the cursor away; the window in use must not be shrunk under it.
TEST(PollSchedule, NothingChangesWhileTheSessionIsOffTheScreenOrTheCursorUnknown) {
    Ticker t;
    t.Settle();
    for (const auto& [away, back] : {std::pair{WTS_SESSION_LOCK, WTS_SESSION_UNLOCK},
                                     std::pair{WTS_CONSOLE_DISCONNECT, WTS_CONSOLE_CONNECT},
                                     std::pair{WTS_REMOTE_DISCONNECT, WTS_REMOTE_CONNECT}}) {
        SCOPED_TRACE(away);
        t.schedule.SessionChanged(away);
        t.scene.foreground = nullptr;
        t.lastInput += 16;
        t.schedule.NoteWindowEvent();
        const int reads = t.reads;
        for (int i = 0; i < 25; ++i) EXPECT_EQ(t.Tick(), PollStep::Hold);
        EXPECT_EQ(t.reads, reads) << "the cursor is read while away";
        t.schedule.SessionChanged(back);
        t.scene.foreground = window(2);
        EXPECT_EQ(t.Tick(), PollStep::Full) << "back on the screen";
        t.Settle();
    }
    // Locked, then disconnected: the connect alone does not end the lock.
    t.schedule.SessionChanged(WTS_SESSION_LOCK);
    t.schedule.SessionChanged(WTS_REMOTE_DISCONNECT);
    t.schedule.SessionChanged(WTS_REMOTE_CONNECT);
    EXPECT_EQ(t.Tick(), PollStep::Hold);
    t.schedule.SessionChanged(WTS_SESSION_UNLOCK);
    EXPECT_EQ(t.Tick(), PollStep::Full);
    t.Settle();

    t.cursorReadable = false;
    t.lastInput += 16;
    EXPECT_EQ(t.Tick(), PollStep::Hold) << "a tick whose cursor cannot be read";
    EXPECT_EQ(t.Tick(), PollStep::Hold) << "tried again at the next tick";
    t.cursorReadable = true;
    EXPECT_EQ(t.Tick(), PollStep::Full);
}
