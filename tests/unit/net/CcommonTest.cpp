#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/net/Ccommon.h"

namespace {

struct Md5Case {
  const char* text;
  const char* hex;
};

TEST(Ccommon, Rfc1321TestSuite) {
  const Md5Case cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const Md5Case& c : cases) {
    Ccommon common;
    EXPECT_EQ(common.MD5Hex(c.text), c.hex) << '"' << c.text << '"';
  }
}

TEST(Ccommon, NullTextIsTheEmptyDigest) {
  Ccommon common;
  EXPECT_EQ(common.MD5Hex(nullptr), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Ccommon, DigestsGbkBytesAsTheyAre) {
  // "中文" in GBK and in UTF-8: no conversion happens before digesting.
  Ccommon common;
  const std::string gbk = common.MD5Hex("\xD6\xD0\xCE\xC4");
  const std::string utf8 = common.MD5Hex("\xE4\xB8\xAD\xE6\x96\x87");
  EXPECT_EQ(gbk.size(), 32u);
  EXPECT_NE(gbk, utf8);
  EXPECT_EQ(utf8, "a7bac2239fcdcb3a067903d8077c4a07");
}

TEST(Ccommon, EachCallKeepsItsOwnResult) {
  Ccommon common;
  const std::string a = common.MD5Hex("a");
  const std::string b = common.MD5Hex("abc");
  EXPECT_EQ(a, "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(b, "900150983cd24fb0d6963f7d28e17f72");
}

// The set-up lookups sign on threads of their own at the same time: every signature made
// concurrently is the one made alone.
TEST(Ccommon, SigningFromSeveralThreadsGivesTheSingleThreadedResults) {
  std::vector<std::string> texts;
  for (int i = 0; i < 64; ++i)
    texts.push_back("demodragonrealms" + std::to_string(i) + (i % 2 ? "1" : "2") + "#k\xD6\xD0" +
                    std::string(static_cast<std::size_t>(i), 'x'));
  std::vector<std::string> expected;
  for (const std::string& text : texts) expected.push_back(Ccommon().MD5Hex(text.c_str()));

  constexpr int kThreads = 4;
  constexpr int kRounds = 400;
  std::atomic<int> ready{0};
  std::vector<int> wrong(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      ready.fetch_add(1);
      while (ready.load() < kThreads) std::this_thread::yield();
      for (int round = 0; round < kRounds; ++round) {
        for (std::size_t i = static_cast<std::size_t>(t); i < texts.size() + t; ++i) {
          const std::size_t k = i % texts.size();
          Ccommon common;
          if (common.MD5Hex(texts[k].c_str()) != expected[k]) ++wrong[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

TEST(Ccommon, ToHexWritesLowercaseHighNibbleFirst) {
  const unsigned char bytes[] = {0x00, 0x01, 0x7f, 0x80, 0xab, 0xff};
  Ccommon common;
  EXPECT_EQ(common.ToHex(bytes, sizeof bytes), "00017f80abff");
  EXPECT_EQ(common.ToHex(bytes, 0), "");
  EXPECT_EQ(common.ToHex(nullptr, 5), "");
}

TEST(Ccommon, ToHexCutsWhatDoesNotFitTheBuffer) {
  for (std::size_t count : {std::size_t{4095}, std::size_t{4096}, std::size_t{10000}}) {
    std::vector<unsigned char> bytes(count, 0xAB);
    Ccommon common;
    const std::string hex = common.ToHex(bytes.data(), bytes.size());
    EXPECT_EQ(hex.size(), 2u * 4095u) << count;
    EXPECT_EQ(hex.find_first_not_of("ab"), std::string::npos);
  }
}

}  // namespace
