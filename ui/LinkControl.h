// A static control turned into a web link: underlined text in link colours,
// hand cursor, tooltip with the address, opened with the shell on click.
#pragma once

#include <windows.h>

#include <string>

#include "win/Handles.h"
#include "win/Subclass.h"

namespace quillora {

class LinkControl : private win::Subclass {
public:
    void Attach(HWND control, const std::string& address);
    bool Visited() const { return visited_; }

private:
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void paint();
    RECT textRect() const;
    void press(POINT p);
    void release(POINT p);
    void addTooltip();

    HWND tooltip_ = nullptr;
    std::string address_;
    win::Font underlined_;
    COLORREF colour_ = RGB(0, 0, 255);
    COLORREF visitedColour_ = RGB(128, 0, 128);
    bool visited_ = false;
    bool pressed_ = false;
};

// Reads "r,g,b" (the browser's stored link colour format); false otherwise.
bool ParseColourTriple(const std::string& text, COLORREF& colour);

}  // namespace quillora
