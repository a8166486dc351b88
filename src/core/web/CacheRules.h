#pragma once
// Pure rules of the browser's disk cache on disk. No Qt.
#include <string_view>

namespace cacherules {

// True for a file that holds one entry of the engine's disk cache: 16 lower-case hex digits, then
// "_0", "_1" (the entry's streams) or "_s" (its sparse data). Index and other files are not.
bool IsCacheEntryFile(std::string_view fileName);

}  // namespace cacherules
