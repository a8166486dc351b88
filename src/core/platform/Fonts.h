#pragma once
// The fonts installed for this user, as the windows' text rendering finds them.
#include <string>

namespace platform {

// The characters of `text` that no installed font can draw (each once, in order of first
// appearance); empty when every one is covered or the fonts cannot be listed.
std::u32string CharactersWithoutFont(const std::u32string& text);

}  // namespace platform
