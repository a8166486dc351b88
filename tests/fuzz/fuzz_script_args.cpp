// Fuzz target: CallScript's argument splitting and the script it builds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/CodePage.h"
#include "core/web/ScriptCall.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> tokens = scriptcall::SplitArguments(text.c_str());
  if (tokens.size() > scriptcall::kMaxArguments) __builtin_trap();
  std::vector<std::u16string> arguments;
  for (const std::string& token : tokens) {
    if (token.empty() || token.find(',') != std::string::npos) __builtin_trap();
    arguments.push_back(codepage::SystemToUtf16(token));
  }
  const std::string call = scriptcall::BuildCall(codepage::SystemToUtf16(text), arguments);
  // Every argument is escaped into plain ASCII: nothing can end the literal or a script element.
  for (const char c : call)
    if (static_cast<unsigned char>(c) >= 0x80) __builtin_trap();
  return 0;
}
