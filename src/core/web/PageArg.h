#pragma once
// One argument of a page's window.external call, with its script type kept.
#include <string>

struct PageArg {
  enum class Kind { String, Integer, Number, Boolean, Null, Other };
  Kind kind = Kind::Null;
  std::string text;    // String: the value in UTF-8
  long long integer = 0;  // Integer (a platform integer type, never produced by script numbers)
  double number = 0;      // Number: a script number
  bool boolean = false;
};
