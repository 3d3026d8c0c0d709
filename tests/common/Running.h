// A running Quillora in its own folder with rules, plus what tests of the
// running program ask about originals and pseudo windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/Harness.h"
#include "common/Pump.h"

namespace uitest {

// One [RuleN] section: key=value lines (Title=..., MatchMethod=..., ...).
std::string RuleSection(int n, const std::vector<std::string>& keys);
// The [Quillora] section; by default with the default settings.
std::string Globals(int activeRestore = 1, int margin = 30, int sensitivity = 30);
// A rule, explained by `title`, for windows titled exactly `title`.
std::string TitleRule(int n, const std::string& title, const std::string& validness = "1");
// A rule for windows titled exactly `title` that shrinks them to a 200 x 150
// pixel pseudo window at the corner `direction`; `extra` adds a key=value line.
std::string PixelRule(int n, const std::string& title, int direction = 0, const std::string& extra = "");

// A test window as testwin makes it: title, place, size and further options.
struct WindowSpec {
    std::string title;
    int x = 40;
    int y = 40;
    int width = 400;
    int height = 300;
    std::string more = "";  // a default of its own keeps GCC quiet about {title, x, y}

    std::string Args() const;
};

// A 300 x 200 test window titled `title` at (x, y); `more` adds options.
TestWindow SmallTestWindow(const std::string& title, int x, int y, const std::string& more = "");

class RunningQuillora {
public:
    // Writes the INI and starts the program, from a folder whose name ends
    // in `folderSuffix`; Ok() tells whether its main window appeared.
    explicit RunningQuillora(const std::string& ini, const std::wstring& folderSuffix = L"");
    ~RunningQuillora();

    bool Ok() const { return mainWindow_ != nullptr; }
    HWND Main() const { return mainWindow_; }
    const Sandbox& Box() const { return box_; }
    Process& Proc() { return process_; }

    void Post(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { PostMessageA(mainWindow_, msg, wp, lp); }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
    // Ends the program through its Exit command; returns whether it ended.
    bool Exit(DWORD* code = nullptr);
    // Restarts the same folder (after Exit or a kill).
    bool Restart();

private:
    Sandbox box_;
    Process process_;
    HWND mainWindow_ = nullptr;
};

// The guard process a running Quillora started (its child of the same
// image), or an empty Process.
Process GuardOf(const Process& quillora);

HWND PseudoOf(HWND original);
bool IsShrunk(HWND original);   // alpha 0, pseudo window visible
bool IsRestored(HWND original); // alpha 255, pseudo window exists and hidden
bool IsReleased(HWND original, bool wasLayered = false);  // opaque, no pseudo properties

// Whether the window's program answers within timeoutMs.
bool Answers(HWND hwnd, UINT timeoutMs);
// Makes the test window's program sleep for `ms` and returns once it has
// stopped answering.
bool Hang(const TestWindow& w, int ms);

// Makes a window of the test process the foreground window and moves the
// cursor onto it, so no original is in use.
class FocusSink {
public:
    FocusSink();
    ~FocusSink();
    void Take();  // foreground + cursor on it
    HWND Handle() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// Whether the test window exists before Quillora starts (found by its
// start-up scan) or is made while it runs (reported by the hook).
enum class Made { BeforeQuillora, AfterQuillora };

// The set-up of the tests that work over one shrunk window: the focus sink,
// Quillora running `ini`, and the window `spec`, made before or after
// Quillora as `made` says (after: only once Quillora started).
struct ShrunkWindow {
    FocusSink sink;
    TestWindow window;
    RunningQuillora q;

    ShrunkWindow(const std::string& ini, Made made, const WindowSpec& spec);
    // Lets the sink take the front; whether both started and the window is
    // then shrunk. Apart from the constructor so that a test can look at
    // the window before Quillora may touch it.
    bool Ready();
};

void MoveCursor(int x, int y);
void MouseButton(bool down);

}  // namespace uitest
