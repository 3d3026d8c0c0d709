// Window properties that tie an original window to its pseudo window.
#pragma once

namespace quillora {

constexpr char kPropOriginalWindow[] = "OriginalWindow";          // on the pseudo window
constexpr char kPropPseudoWindow[] = "PseudoWindow";              // on the original
constexpr char kPropPseudoWindowObject[] = "PseudoWindowObject";  // on the original
constexpr char kPropLayered[] = "Layered";                        // on the original
constexpr char kPropTransparency[] = "Transparency";              // on the original

constexpr char kPseudoWindowClass[] = "PseudoWindow";

}  // namespace quillora
