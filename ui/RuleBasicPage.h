// The rule editor's first page: description, match method, the three match
// texts and the capture button.
#pragma once

#include "rules/Rule.h"
#include "ui/WindowCaptureTool.h"
#include "win/Dialog.h"

namespace quillora {

class RuleBasicPage : public win::Dialog {
public:
    explicit RuleBasicPage(Rule& rule) : rule_(rule) {}
    HWND Create(HWND parent);
    // Refuses (message 118) a rule with no match text and, under the Regex
    // method, a match text that does not compile (153); otherwise writes.
    bool Apply();

protected:
    BOOL onInit() override;

private:
    Rule& rule_;
    WindowCaptureTool captureTool_;
};

}  // namespace quillora
