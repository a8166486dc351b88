#pragma once
// The package check's report in its two formats, and the words both the checks and the formats
// use for places and sizes.
#include <cstdint>
#include <string>

#include "core/check/PackageCheck.h"

namespace packagecheck {

// The report for a person: members, settings, images, problems and a closing verdict.
std::string FormatText(const Report& report);
// The same as one JSON object, for scripts.
std::string FormatJson(const Report& report);

// "[section] key"
std::string Where(const std::string& section, const std::string& key);
// "640x480"
std::string Size(int width, int height);
// `value` in lower-case hexadecimal, at least `digits` digits.
std::string Hex(std::uint32_t value, int digits);

}  // namespace packagecheck
