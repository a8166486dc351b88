#include <gtest/gtest.h>

#include "core/web/CacheRules.h"

TEST(CacheRules, EntryFiles) {
  struct Case {
    const char* name;
    bool entry;
  };
  const Case cases[] = {
      {"0123456789abcdef_0", true},
      {"0123456789abcdef_1", true},
      {"fedcba9876543210_s", true},
      {"0000000000000000_0", true},
      {"0123456789abcdef_2", false},   // no such stream
      {"0123456789ABCDEF_0", false},   // the engine writes lower case only
      {"0123456789abcde_0", false},    // 15 digits
      {"0123456789abcdef0_0", false},  // 17 digits
      {"0123456789abcdeg_0", false},
      {"0123456789abcdef-0", false},
      {"0123456789abcdef_0.tmp", false},
      {"todelete_0123456789abcdef_0", false},
      {"index", false},
      {"the-real-index", false},
      {"index-dir", false},
      {"", false},
      {"_0", false},
  };
  for (const Case& c : cases) EXPECT_EQ(cacherules::IsCacheEntryFile(c.name), c.entry) << c.name;
}
