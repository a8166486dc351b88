#include "core/platform/Fonts.h"

#include <fontconfig/fontconfig.h>

namespace platform {

std::u32string CharactersWithoutFont(const std::u32string& text) {
  std::u32string missing;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return missing;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_CHARSET, nullptr);
  FcFontSet* fonts = FcFontList(config, pattern, objects);
  // Text rendering falls back from font to font character by character: what counts is
  // whether any font has each character.
  FcCharSet* all = FcCharSetCreate();
  for (int i = 0; fonts && i < fonts->nfont; ++i) {
    FcCharSet* set = nullptr;
    if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &set) == FcResultMatch)
      FcCharSetMerge(all, set, nullptr);
  }
  for (char32_t c : text) {
    if (!FcCharSetHasChar(all, static_cast<FcChar32>(c)) &&
        missing.find(c) == std::u32string::npos)
      missing += c;
  }
  FcCharSetDestroy(all);
  if (fonts) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return missing;
}

}  // namespace platform
