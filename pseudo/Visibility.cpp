#include "pseudo/Visibility.h"

namespace quillora {

bool MayBeShrunk(bool visible, bool cloaked) { return visible && !cloaked; }

StandInChange StandInChangeFor(bool minimised, bool cloaked, bool originalTransparent, bool standInShown) {
    if (minimised || cloaked) return standInShown ? StandInChange::Hide : StandInChange::Leave;
    if (originalTransparent && !standInShown) return StandInChange::Show;
    return StandInChange::Leave;
}

}  // namespace quillora
