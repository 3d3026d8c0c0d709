// Readable GoogleTest output for rules (the default prints raw bytes).
#pragma once

#include <ostream>

#include "rules/Rule.h"

namespace quillora {

inline void PrintTo(const Rule& r, std::ostream* os) {
    *os << "{Explanation=\"" << r.Explanation << "\" AppName=\"" << r.AppName << "\" ClassName=\"" << r.ClassName
        << "\" Title=\"" << r.Title << "\" MatchMethod=" << r.MatchMethod << " W=" << r.StretchWidth
        << " H=" << r.StretchHeight << " WU=" << r.StretchWidthUnit << " HU=" << r.StretchHeightUnit
        << " Coratio=" << r.Coratio << " Draw=" << r.StretchDrawMethod << " Dir=" << r.StretchDirection
        << " Restore=" << r.StretchRestoreMethod << " Update=" << r.UpdateDisplay << "/" << r.UpdateDisplayElapse
        << " Topmost=" << r.Topmost << " Frame=" << r.Frame << " ExtendSystemMenu=" << r.ExtendSystemMenu
        << " Transparent=" << r.Transparent << "/" << r.Transparency << " Validness=" << r.Validness
        << " IsValid=" << r.IsValid << "}";
}

inline void PrintTo(const RuleList& list, std::ostream* os) {
    *os << list.size() << " rules";
    for (const Rule& r : list) {
        *os << "\n  ";
        PrintTo(r, os);
    }
}

}  // namespace quillora
