// Opening a realistic configuration package from memory and inflating every member:
// this program's zip reader against libzip on the same bytes.
#include <benchmark/benchmark.h>
#include <zip.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ZipWriter.h"
#include "core/config/ZipReader.h"

namespace {

// Artwork-like bytes: noisy rows (barely compressible) mixed with flat runs, as in a PNG's
// filtered scanlines.
std::string Artwork(std::size_t size, std::uint32_t seed) {
  std::string s(size, '\0');
  std::uint32_t x = seed;
  for (std::size_t i = 0; i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    s[i] = (i / 512) % 3 == 0 ? static_cast<char>(i % 5) : static_cast<char>(x >> 24);
  }
  return s;
}

struct Package {
  std::string bytes;
  std::vector<std::string> names;
  std::size_t inflatedTotal = 0;
};

const Package& ThePackage() {
  static const Package package = [] {
    Package p;
    ZipWriter w;
    std::string settings = "[global]\nlinkCount=3\npicCount=12\ngameButtonCount=8\n";
    for (int i = 1; i <= 12; ++i)
      settings += "[gamePic" + std::to_string(i) + "]\nx=" + std::to_string(i * 10) +
                  "\ny=0\nwidth=64\nheight=96\n";
    const struct {
      const char* name;
      std::size_t size;
      ZipWriter::Method method;
    } members[] = {
        {"config/main1.png", 160 * 1024, ZipWriter::Deflated},
        {"config/style.png", 120 * 1024, ZipWriter::Deflated},
        {"config/logo.png", 24 * 1024, ZipWriter::Stored},
        {"config/1_n.png", 6 * 1024, ZipWriter::Stored},
        {"config/1_d.png", 6 * 1024, ZipWriter::Deflated},
        {"config/1_o.png", 6 * 1024, ZipWriter::Stored},
        {"config/2_n.png", 6 * 1024, ZipWriter::Deflated},
        {"config/2_d.png", 6 * 1024, ZipWriter::Stored},
        {"config/2_o.png", 6 * 1024, ZipWriter::Deflated},
    };
    w.Add("config/cg.txt", settings, ZipWriter::Deflated);
    p.names.push_back("config/cg.txt");
    p.inflatedTotal = settings.size();
    std::uint32_t seed = 7;
    for (const auto& m : members) {
      w.Add(m.name, Artwork(m.size, seed++), m.method);
      p.names.push_back(m.name);
      p.inflatedTotal += m.size;
    }
    p.bytes = w.Finish();
    return p;
  }();
  return package;
}

void ReaderOpenAndReadAll(benchmark::State& state) {
  const Package& p = ThePackage();
  std::vector<unsigned char> buffer;
  for (auto _ : state) {
    ZipHandle* zip = OpenZip(p.bytes.data(), static_cast<unsigned>(p.bytes.size()),
                             ZipSource::Memory);
    if (!zip) {
      state.SkipWithError("OpenZip failed");
      break;
    }
    for (const std::string& name : p.names) {
      int index = -1;
      ZipEntryInfo info;
      if (FindZipEntry(zip, name.c_str(), false, index, info) != ZR_OK) state.SkipWithError("find");
      buffer.resize(info.uncompressedSize);
      if (UnzipEntry(zip, index, buffer.data(), info.uncompressedSize, ZipSource::Memory) != ZR_OK)
        state.SkipWithError("unzip");
      benchmark::DoNotOptimize(buffer.data());
    }
    CloseZip(zip);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.inflatedTotal));
}
BENCHMARK(ReaderOpenAndReadAll)->Unit(benchmark::kMicrosecond);

void LibzipOpenAndReadAll(benchmark::State& state) {
  const Package& p = ThePackage();
  std::vector<unsigned char> buffer;
  for (auto _ : state) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(p.bytes.data(), p.bytes.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
      if (source) zip_source_free(source);
      zip_error_fini(&error);
      state.SkipWithError("zip_open_from_source failed");
      break;
    }
    for (const std::string& name : p.names) {
      const zip_int64_t index = zip_name_locate(archive, name.c_str(), 0);
      zip_stat_t st;
      zip_stat_init(&st);
      if (index < 0 || zip_stat_index(archive, index, 0, &st) != 0) state.SkipWithError("stat");
      buffer.resize(st.size);
      zip_file_t* file = zip_fopen_index(archive, index, 0);
      if (!file || zip_fread(file, buffer.data(), st.size) != static_cast<zip_int64_t>(st.size))
        state.SkipWithError("read");
      if (file) zip_fclose(file);
      benchmark::DoNotOptimize(buffer.data());
    }
    zip_discard(archive);
    zip_error_fini(&error);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.inflatedTotal));
}
BENCHMARK(LibzipOpenAndReadAll)->Unit(benchmark::kMicrosecond);

void ReaderOpenOnly(benchmark::State& state) {
  const Package& p = ThePackage();
  for (auto _ : state) {
    ZipHandle* zip = OpenZip(p.bytes.data(), static_cast<unsigned>(p.bytes.size()),
                             ZipSource::Memory);
    benchmark::DoNotOptimize(zip);
    CloseZip(zip);
  }
}
BENCHMARK(ReaderOpenOnly);

void LibzipOpenOnly(benchmark::State& state) {
  const Package& p = ThePackage();
  for (auto _ : state) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(p.bytes.data(), p.bytes.size(), 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    benchmark::DoNotOptimize(archive);
    if (archive) zip_discard(archive); else zip_source_free(source);
    zip_error_fini(&error);
  }
}
BENCHMARK(LibzipOpenOnly);

}  // namespace

BENCHMARK_MAIN();
