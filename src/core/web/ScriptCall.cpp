#include "core/web/ScriptCall.h"

namespace scriptcall {

std::vector<std::string> SplitArguments(const char* text) {
  std::vector<std::string> tokens;
  if (text == nullptr) return tokens;
  std::string_view rest(text);
  while (!rest.empty()) {
    const std::size_t start = rest.find_first_not_of(',');
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    const std::size_t end = rest.find(',');
    const std::string_view token = rest.substr(0, end);
    if (tokens.size() == kMaxArguments) break;
    tokens.emplace_back(token);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end);
  }
  return tokens;
}

std::string StringLiteral(std::u16string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (const char16_t unit : text) {
    switch (unit) {
      case u'"': out += "\\\""; continue;
      case u'\\': out += "\\\\"; continue;
      case u'\n': out += "\\n"; continue;
      case u'\r': out += "\\r"; continue;
      case u'\t': out += "\\t"; continue;
      default: break;
    }
    const bool plain = unit >= 0x20 && unit < 0x7F && unit != u'<' && unit != u'>';
    if (plain) {
      out += static_cast<char>(unit);
    } else {
      out += "\\u";
      out += kHex[(unit >> 12) & 0xF];
      out += kHex[(unit >> 8) & 0xF];
      out += kHex[(unit >> 4) & 0xF];
      out += kHex[unit & 0xF];
    }
  }
  out += '"';
  return out;
}

std::string BuildCall(std::u16string_view function, const std::vector<std::u16string>& arguments) {
  std::string args;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) args += ',';
    args += StringLiteral(arguments[i]);
  }
  // Only primitive results are handed back: page objects do not survive the trip.
  return "(function(){var f=window[" + StringLiteral(function) +
         "];if(typeof f!=='function')return{missing:true};"
         "try{var r=f.call(window" + (args.empty() ? std::string() : "," + args) +
         ");return{value:(r===null||typeof r==='object'||typeof r==='function'||r===undefined)?null:r};}"
         "catch(e){return{threw:String(e)};}})()";
}

}  // namespace scriptcall
