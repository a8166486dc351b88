#pragma once
// Building the script that calls a page function by name with text arguments.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace scriptcall {

constexpr std::size_t kMaxArguments = 8;

// Splits comma-separated argument text like strtok: runs of commas are one separator, leading and
// trailing commas are ignored; null or empty text gives no arguments. Tokens past the eighth are
// dropped.
std::vector<std::string> SplitArguments(const char* text);

// A JavaScript string literal (double-quoted, pure ASCII) that evaluates to exactly `text`: quotes,
// backslashes, line terminators, '<', '>' and every non-ASCII unit are escaped, so no argument can
// end the literal or a surrounding <script> element.
std::string StringLiteral(std::u16string_view text);

// An expression that calls window[function](args...) and evaluates to an object describing the
// outcome: {missing: true} when there is no such function, {threw: "<text>"} when it threw, or
// {value: <primitive or null>} after a normal return.
std::string BuildCall(std::u16string_view function, const std::vector<std::u16string>& arguments);

}  // namespace scriptcall
