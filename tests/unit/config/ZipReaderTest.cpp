#include "core/config/ZipReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "ZipFixtures.h"

using namespace zipfix;

namespace {

const std::string kText = "[global]\nlinkCount=1\ntitle=demo\n";

std::string StandardArchive() {
  ZipWriter w;
  w.Add("config/cg.txt", kText, ZipWriter::Deflated);
  w.Add("config/stored.bin", Payload(5000, 2), ZipWriter::Stored);
  w.Add("config/deflated.bin", Payload(20000, 3), ZipWriter::Deflated);
  return w.Finish();
}

struct Handle {
  explicit Handle(const std::string& bytes)
      : h(OpenZip(bytes.data(), static_cast<unsigned>(bytes.size()), ZipSource::Memory)) {}
  ~Handle() { CloseZip(h); }
  ZipHandle* h;
};

// Reads a whole member into `out`; returns the last result code.
unsigned ReadAll(ZipHandle* h, const char* name, std::string& out, unsigned chunk = 0) {
  int index = -1;
  ZipEntryInfo info;
  const unsigned found = FindZipEntry(h, name, false, index, info);
  if (found != ZR_OK) return found;
  const unsigned size = chunk ? chunk : info.uncompressedSize;
  std::vector<char> buffer(size + 1);
  out.clear();
  unsigned rc;
  while ((rc = UnzipEntry(h, index, buffer.data(), size, ZipSource::Memory)) == ZR_MORE)
    out.append(buffer.data(), size);
  if (rc == ZR_OK) out.append(buffer.data(), info.uncompressedSize - out.size());
  return rc;
}

TEST(ZipReader, ReadsStoredAndDeflatedMembers) {
  const std::string zip = StandardArchive();
  Handle z(zip);
  ASSERT_NE(z.h, nullptr);
  std::string out;
  EXPECT_EQ(ReadAll(z.h, "config/cg.txt", out), ZR_OK);
  EXPECT_EQ(out, kText);
  EXPECT_EQ(ReadAll(z.h, "config/stored.bin", out), ZR_OK);
  EXPECT_EQ(out, Payload(5000, 2));
  EXPECT_EQ(ReadAll(z.h, "config/deflated.bin", out), ZR_OK);
  EXPECT_EQ(out, Payload(20000, 3));
  // Again, after the cursor moved past them.
  EXPECT_EQ(ReadAll(z.h, "config/cg.txt", out), ZR_OK);
  EXPECT_EQ(out, kText);
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Archives written by Info-ZIP (extra fields that differ between the local header and the
// directory, a folder entry, an archive comment) and by Python's zipfile.
TEST(ZipReader, ReadsArchivesOfOtherWriters) {
  const std::string infozip = FileBytes(CONFIG_TEST_DATA "/infozip.zip");
  ASSERT_FALSE(infozip.empty());
  Handle z(infozip);
  ASSERT_NE(z.h, nullptr);
  std::string out;
  EXPECT_EQ(ReadAll(z.h, "config/cg.txt", out), ZR_OK);
  EXPECT_EQ(out.substr(0, 21), "[global]\r\nlinkCount=1");
  EXPECT_EQ(ReadAll(z.h, "config/logo.png", out), ZR_OK);
  EXPECT_EQ(out.size(), 3000u);
  EXPECT_EQ(out.substr(1500), std::string(1500, 'a'));
  EXPECT_EQ(ReadAll(z.h, "config/", out), ZR_OK);
  EXPECT_EQ(out, "");

  for (const char* name : {"/package_deflated.zip", "/package_stored.zip",
                           "/prefix_and_comment.zip"}) {
    const std::string bytes = FileBytes(std::string(FUZZ_ZIP_CORPUS) + name);
    Handle p(bytes);
    ASSERT_NE(p.h, nullptr) << name;
    EXPECT_EQ(ReadAll(p.h, "config/cg.txt", out), ZR_OK) << name;
    EXPECT_EQ(out.substr(0, 8), "[global]") << name;
  }
}

TEST(ZipReader, FindFillsTheEntryDescription) {
  const std::string zip = StandardArchive();
  Handle z(zip);
  int index = -1;
  ZipEntryInfo info;
  ASSERT_EQ(FindZipEntry(z.h, "config/deflated.bin", false, index, info), ZR_OK);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(info.index, 2);
  EXPECT_EQ(info.name, "config/deflated.bin");
  EXPECT_EQ(info.uncompressedSize, 20000u);
  EXPECT_LT(info.compressedSize, 20000u);
}

TEST(ZipReader, SmallBufferContinuesWithMoreCodes) {
  const std::string zip = StandardArchive();
  Handle z(zip);
  for (const char* name : {"config/stored.bin", "config/deflated.bin"}) {
    std::string out;
    EXPECT_EQ(ReadAll(z.h, name, out, 777), ZR_OK) << name;
    EXPECT_EQ(out, std::string(name) == "config/stored.bin" ? Payload(5000, 2) : Payload(20000, 3));
  }
}

TEST(ZipReader, SwitchingMembersMidReadRestartsTheOther) {
  const std::string zip = StandardArchive();
  Handle z(zip);
  char buffer[100];
  EXPECT_EQ(UnzipEntry(z.h, 2, buffer, sizeof buffer, ZipSource::Memory), ZR_MORE);
  std::string out;
  EXPECT_EQ(ReadAll(z.h, "config/cg.txt", out), ZR_OK);
  EXPECT_EQ(out, kText);
  EXPECT_EQ(ReadAll(z.h, "config/deflated.bin", out), ZR_OK);
  EXPECT_EQ(out, Payload(20000, 3));
}

TEST(ZipReader, LargerBufferThanTheMemberIsOneCall) {
  const std::string zip = StandardArchive();
  Handle z(zip);
  std::vector<char> buffer(100000, '#');
  EXPECT_EQ(UnzipEntry(z.h, 0, buffer.data(), buffer.size(), ZipSource::Memory), ZR_OK);
  EXPECT_EQ(std::string(buffer.data(), kText.size()), kText);
  EXPECT_EQ(buffer[kText.size()], '#');
}

TEST(ZipReader, BadArguments) {
  const std::string zip = StandardArchive();
  Handle z(zip);
  char buffer[16];
  int index = 0;
  ZipEntryInfo info;
  EXPECT_EQ(FindZipEntry(nullptr, "config/cg.txt", false, index, info), ZR_ARGS);
  EXPECT_EQ(FindZipEntry(z.h, nullptr, false, index, info), ZR_ARGS);
  EXPECT_EQ(UnzipEntry(nullptr, 0, buffer, sizeof buffer, ZipSource::Memory), ZR_ARGS);
  EXPECT_EQ(UnzipEntry(z.h, -1, buffer, sizeof buffer, ZipSource::Memory), ZR_ARGS);
  EXPECT_EQ(UnzipEntry(z.h, 3, buffer, sizeof buffer, ZipSource::Memory), ZR_ARGS);
  EXPECT_EQ(UnzipEntry(z.h, 0, nullptr, 10, ZipSource::Memory), ZR_ARGS);
  EXPECT_EQ(OpenZip(nullptr, 100, ZipSource::Memory), nullptr);
  CloseZip(nullptr);
}

TEST(ZipReader, EmptyMemberAndEmptyArchive) {
  ZipWriter w;
  w.Add("empty.txt", "", ZipWriter::Deflated);
  w.Add("empty.bin", "", ZipWriter::Stored);
  const std::string zip = w.Finish();
  Handle z(zip);
  ASSERT_NE(z.h, nullptr);
  std::string out = "x";
  EXPECT_EQ(ReadAll(z.h, "empty.txt", out), ZR_OK);
  EXPECT_EQ(out, "");
  EXPECT_EQ(ReadAll(z.h, "empty.bin", out), ZR_OK);

  const std::string none = ZipWriter().Finish();
  Handle e(none);
  ASSERT_NE(e.h, nullptr);
  int index;
  ZipEntryInfo info;
  EXPECT_EQ(FindZipEntry(e.h, "config/cg.txt", false, index, info), ZR_NOTFOUND);
}

TEST(ZipReader, NamesAreCaseSensitiveUnlessAsked) {
  ZipWriter w;
  w.Add("Config/cg.txt", kText);
  const std::string zip = w.Finish();
  Handle z(zip);
  int index = -1;
  ZipEntryInfo info;
  EXPECT_EQ(FindZipEntry(z.h, "config/cg.txt", false, index, info), ZR_NOTFOUND);
  EXPECT_EQ(FindZipEntry(z.h, "Config/cg.txt", false, index, info), ZR_OK);
  EXPECT_EQ(FindZipEntry(z.h, "CONFIG/CG.TXT", true, index, info), ZR_OK);
}

TEST(ZipReader, NamesOf256BytesOrMoreAreNeverFound) {
  const std::string name255 = "config/" + std::string(248, 'n');
  const std::string name256 = name255 + "x";
  const std::string name300 = "config/" + std::string(293, 'm');
  ZipWriter w;
  w.Add(name255, "a");
  w.Add(name256, "b");
  w.Add(name300, "c");
  const std::string zip = w.Finish();
  Handle z(zip);
  int index = -1;
  ZipEntryInfo info;
  EXPECT_EQ(FindZipEntry(z.h, name255.c_str(), false, index, info), ZR_OK);
  EXPECT_EQ(FindZipEntry(z.h, name256.c_str(), false, index, info), ZR_NOTFOUND);
  EXPECT_EQ(FindZipEntry(z.h, name300.c_str(), false, index, info), ZR_NOTFOUND);
}

TEST(ZipReader, PrefixDataInFrontOfTheArchive) {
  ZipWriter w;
  w.SetPrefix("MZ" + Payload(70000, 9));  // a self-extractor stub, longer than the search range
  w.Add("config/cg.txt", kText);
  w.Add("config/stored.bin", Payload(5000, 2), ZipWriter::Stored);
  const std::string zip = w.Finish();
  Handle z(zip);
  ASSERT_NE(z.h, nullptr);
  std::string out;
  EXPECT_EQ(ReadAll(z.h, "config/stored.bin", out), ZR_OK);
  EXPECT_EQ(out, Payload(5000, 2));
  EXPECT_EQ(ReadAll(z.h, "config/cg.txt", out), ZR_OK);
  EXPECT_EQ(out, kText);
}

TEST(ZipReader, CommentUpTo65513BytesStillFindsTheEndRecord) {
  struct Case {
    std::size_t comment;
    std::size_t prefix;
    bool opens;
  } cases[] = {
      {0, 0, true},         {1023, 0, true},     {1024, 0, true},  {1025, 0, true},
      {4000, 0, true},      {65513, 0, true},    {65514, 0, false}, {65535, 0, false},
      {65513, 100000, true}, {65514, 100000, false},
  };
  for (const Case& c : cases) {
    ZipWriter w;
    w.SetPrefix(std::string(c.prefix, 'p'));
    w.Add("config/cg.txt", kText);
    w.SetComment(std::string(c.comment, 'c'));
    const std::string zip = w.Finish();
    Handle z(zip);
    EXPECT_EQ(z.h != nullptr, c.opens) << "comment " << c.comment << " prefix " << c.prefix;
    std::string out;
    if (z.h) {
      EXPECT_EQ(ReadAll(z.h, "config/cg.txt", out), ZR_OK);
    }
  }
}

// Every damaged archive either fails to open or fails with a code; none crashes or reads past
// the block (the suite runs under the sanitizers in the fuzz build).
struct BadCase {
  const char* label;
  std::function<void(std::string&)> damage;
  bool opens;
  const char* member;
  unsigned findCode;
  unsigned unzipCode;
};

class ZipReaderBadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(ZipReaderBadInput, FailsCleanly) {
  const BadCase& c = GetParam();
  std::string zip = StandardArchive();
  c.damage(zip);
  // An exact-size copy on the heap so that any overrun is caught by the sanitizers.
  std::unique_ptr<char[]> block(new char[zip.size() ? zip.size() : 1]);
  std::copy(zip.begin(), zip.end(), block.get());
  ZipHandle* h = OpenZip(block.get(), static_cast<unsigned>(zip.size()), ZipSource::Memory);
  EXPECT_EQ(h != nullptr, c.opens);
  if (h && c.member) {
    int index = -1;
    ZipEntryInfo info;
    EXPECT_EQ(FindZipEntry(h, c.member, false, index, info), c.findCode);
    if (c.findCode == ZR_OK) {
      std::vector<char> buffer(info.uncompressedSize <= kMaxZipMemberSize ? info.uncompressedSize
                                                                           : 64);
      EXPECT_EQ(UnzipEntry(h, index, buffer.data(), static_cast<unsigned>(buffer.size()),
                           ZipSource::Memory),
                c.unzipCode);
    }
  }
  CloseZip(h);
}

const char kCg[] = "config/cg.txt";
const char kStored[] = "config/stored.bin";

INSTANTIATE_TEST_SUITE_P(
    Damaged, ZipReaderBadInput,
    ::testing::Values(
        BadCase{"ZeroBytes", [](std::string& z) { z.clear(); }, false, nullptr, 0, 0},
        BadCase{"NotAZip", [](std::string& z) { z = Payload(3000, 5); }, false, nullptr, 0, 0},
        BadCase{"TruncatedHalf", [](std::string& z) { z.resize(z.size() / 2); }, false, nullptr,
                0, 0},
        BadCase{"EndRecordCutShort", [](std::string& z) { z.resize(z.size() - 5); }, false,
                nullptr, 0, 0},
        BadCase{"DirectoryOffsetOutside",
                [](std::string& z) { Set32(z, End(z) + kEndCdOffset, 0xFFFFFF00u); }, false,
                nullptr, 0, 0},
        BadCase{"DirectorySizeOutside",
                [](std::string& z) { Set32(z, End(z) + kEndCdSize, 0x7FFFFFFFu); }, false,
                nullptr, 0, 0},
        BadCase{"DirectoryOffsetTooSmall",  // the difference is taken for prefix data
                [](std::string& z) { Set32(z, End(z) + kEndCdOffset, 10); }, true, kCg,
                ZR_OK, ZR_CORRUPT},
        BadCase{"EntryCountTooLargeForDirectory",
                [](std::string& z) {
                  Set16(z, End(z) + kEndEntries, 500);
                  Set16(z, End(z) + kEndEntriesHere, 500);
                },
                false, nullptr, 0, 0},
        BadCase{"EntryCountOneTooMany",
                [](std::string& z) {
                  Set16(z, End(z) + kEndEntries, 4);
                  Set16(z, End(z) + kEndEntriesHere, 4);
                },
                true, "config/missing", ZR_CORRUPT, 0},
        BadCase{"EntryCountsDisagree", [](std::string& z) { Set16(z, End(z) + kEndEntries, 2); },
                false, nullptr, 0, 0},
        BadCase{"SecondDisk", [](std::string& z) { Set16(z, End(z) + kEndDisk, 1); }, false,
                nullptr, 0, 0},
        BadCase{"DirectoryOnSecondDisk", [](std::string& z) { Set16(z, End(z) + kEndCdDisk, 1); },
                false, nullptr, 0, 0},
        BadCase{"FirstEntrySignatureBroken", [](std::string& z) { z[Central(z)] = 'X'; }, false,
                nullptr, 0, 0},
        BadCase{"EntryNameLengthLeavesDirectory",
                [](std::string& z) { Set16(z, Central(z, 2) + 28, 0xFFFF); }, true,
                "config/missing", ZR_CORRUPT, 0},
        BadCase{"LocalHeaderOffsetOutside",
                [](std::string& z) { Set32(z, Central(z) + kCentralLocalOffset, 0xFFFFFFF0u); },
                true, kCg, ZR_OK, ZR_CORRUPT},
        BadCase{"LocalHeaderOffsetIntoDirectory",
                [](std::string& z) {
                  Set32(z, Central(z) + kCentralLocalOffset, static_cast<std::uint32_t>(End(z)));
                },
                true, kCg, ZR_OK, ZR_CORRUPT},
        BadCase{"LocalSignatureBroken", [](std::string& z) { z[Local(z)] = 'X'; }, true, kCg,
                ZR_OK, ZR_CORRUPT},
        BadCase{"LocalMethodDiffers", [](std::string& z) { Set16(z, Local(z) + kLocalMethod, 0); },
                true, kCg, ZR_OK, ZR_CORRUPT},
        BadCase{"LocalCrcDiffers", [](std::string& z) { Set32(z, Local(z) + kLocalCrc, 1234); },
                true, kCg, ZR_OK, ZR_CORRUPT},
        BadCase{"LocalSizeDiffers", [](std::string& z) { Set32(z, Local(z) + kLocalSize, 12); },
                true, kCg, ZR_OK, ZR_CORRUPT},
        BadCase{"LocalNameLengthDiffers",
                [](std::string& z) { Set16(z, Local(z) + kLocalNameLength, 12); }, true, kCg,
                ZR_OK, ZR_CORRUPT},
        BadCase{"UnknownMethod",
                [](std::string& z) {
                  Set16(z, Central(z) + kCentralMethod, 12);
                  Set16(z, Local(z) + kLocalMethod, 12);
                },
                true, kCg, ZR_OK, ZR_CORRUPT},
        BadCase{"EncryptedMember",
                [](std::string& z) {
                  Set16(z, Central(z) + kCentralFlags, 1);
                  Set16(z, Local(z) + kLocalFlags, 1);
                },
                true, kCg, ZR_OK, ZR_CORRUPT},
        BadCase{"Declares4GB",
                [](std::string& z) {
                  Set32(z, Central(z, 1) + kCentralSize, 0xFFFFFFFFu);
                  Set32(z, Local(z, 1) + kLocalSize, 0xFFFFFFFFu);
                },
                true, kStored, ZR_OK, ZR_CORRUPT},
        BadCase{"DeflatedDeclares4GB",
                [](std::string& z) {
                  Set32(z, Central(z) + kCentralSize, 0xFFFFFFFFu);
                  Set32(z, Local(z) + kLocalSize, 0xFFFFFFFFu);
                },
                true, kCg, ZR_OK, ZR_CORRUPT},
        BadCase{"CompressedSizeLeavesTheBlock",
                [](std::string& z) {
                  Set32(z, Central(z, 1) + kCentralCompressed, 0x7FFFFFF0u);
                  Set32(z, Local(z, 1) + kLocalCompressed, 0x7FFFFFF0u);
                  Set32(z, Central(z, 1) + kCentralSize, 0x7FFFFFF0u);
                  Set32(z, Local(z, 1) + kLocalSize, 0x7FFFFFF0u);
                },
                true, kStored, ZR_OK, ZR_CORRUPT},
        BadCase{"StoredSizesDisagree",
                [](std::string& z) {
                  Set32(z, Central(z, 1) + kCentralSize, 4000);
                  Set32(z, Local(z, 1) + kLocalSize, 4000);
                },
                true, kStored, ZR_OK, ZR_CORRUPT},
        BadCase{"CorruptDeflateStream",
                [](std::string& z) {
                  for (std::size_t i = 0; i < 8; ++i) z[Data(z) + i] = '\xFF';
                },
                true, kCg, ZR_OK, ZR_FLATE},
        BadCase{"DeflateStreamCutShort",
                [](std::string& z) {
                  Set32(z, Central(z) + kCentralCompressed, 5);
                  Set32(z, Local(z) + kLocalCompressed, 5);
                },
                true, kCg, ZR_OK, ZR_FLATE},
        BadCase{"DeflateYieldsMoreThanDeclared",
                [](std::string& z) {
                  Set32(z, Central(z) + kCentralSize, 10);
                  Set32(z, Local(z) + kLocalSize, 10);
                },
                true, kCg, ZR_OK, ZR_CORRUPT},
        BadCase{"DeflateYieldsLessThanDeclared",
                [](std::string& z) {
                  Set32(z, Central(z) + kCentralSize, 1000);
                  Set32(z, Local(z) + kLocalSize, 1000);
                },
                true, kCg, ZR_OK, ZR_CORRUPT},
        BadCase{"CrcMismatchDeflated",
                [](std::string& z) {
                  Set32(z, Central(z) + kCentralCrc, 0xDEADBEEF);
                  Set32(z, Local(z) + kLocalCrc, 0xDEADBEEF);
                },
                true, kCg, ZR_OK, ZR_CORRUPT},
        BadCase{"CrcMismatchStored", [](std::string& z) { z[Data(z, 1) + 100] ^= 1; }, true,
                kStored, ZR_OK, ZR_CORRUPT},
        BadCase{"DescriptorFlagSkipsLocalComparison",
                [](std::string& z) {
                  Set16(z, Central(z) + kCentralFlags, 8);
                  Set16(z, Local(z) + kLocalFlags, 8);
                  Set32(z, Local(z) + kLocalCrc, 0);
                  Set32(z, Local(z) + kLocalCompressed, 0);
                  Set32(z, Local(z) + kLocalSize, 0);
                },
                true, kCg, ZR_OK, ZR_OK}),
    [](const ::testing::TestParamInfo<BadCase>& p) { return std::string(p.param.label); });

}  // namespace
