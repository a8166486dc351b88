#pragma once
// Splitting one fuzz input into several texts: parts are separated by a 0xFF byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<std::string> SplitFuzzInput(const std::uint8_t* data, std::size_t size,
                                               std::size_t parts) {
  std::vector<std::string> out(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF && out.size() < parts) {
      out.emplace_back();
      continue;
    }
    out.back().push_back(static_cast<char>(data[i]));
  }
  out.resize(parts);
  return out;
}
