// Window properties that tie an original window to its pseudo window.
#pragma once

namespace quillora {

constexpr char kPropOriginalWindow[] = "OriginalWindow";          // on the pseudo window
constexpr char kPropPseudoWindow[] = "PseudoWindow";              // on the original
constexpr char kPropPseudoWindowObject[] = "PseudoWindowObject";  // on the original
constexpr char kPropLayered[] = "Layered";                        // on the original
constexpr char kPropTransparency[] = "Transparency";              // on the original
// The original's own layered attributes, read when it is attached if it was
// layered already, and put back whenever it is shown: the colour key
// (COLORREF), the alpha and the LWA_ flags. Saved exactly when
// "LayeredFlags" is present (non-zero); a window drawn through
// UpdateLayeredWindow has none to save.
constexpr char kPropLayeredKey[] = "LayeredKey";                  // on the original
constexpr char kPropLayeredAlpha[] = "LayeredAlpha";              // on the original
constexpr char kPropLayeredFlags[] = "LayeredFlags";              // on the original

constexpr char kPseudoWindowClass[] = "PseudoWindow";

}  // namespace quillora
