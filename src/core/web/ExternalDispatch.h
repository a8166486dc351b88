#pragma once
// The window.external name table and the decisions its calls make, over plain data.
#include <string>
#include <vector>

#include "core/web/PageArg.h"

namespace external {

// Dispatch ids of the four page-callable methods.
enum DispId : int {
  kJsCallClient = 100,
  kGetGsName = 101,
  kGetNewMsg = 102,
  kIs360Game = 103,
};

// Outcome codes of a dispatched call (the page sees none of them: no method returns a value).
enum Result : long {
  kOk = 0,
  kFalse = 1,           // handled as "nothing to act on"; still a success for the page
  kNotImplemented = -1, // unknown name or id
};

// Case-sensitive lookup of a method name; 0 when the name is not one of the four.
int DispIdOf(const std::string& name);
// The method name of a dispatch id; empty for any other id.
const char* NameOf(int dispId);

// JsCallClient's command number: a string is read as decimal, a platform integer is taken as it
// is, every other type (script numbers included) is 0, which selects no action.
int PageCommandNumber(const PageArg& command);

// getGsName's name: true with the first argument's text when there is one and it is a string.
bool GsNameArgument(const std::vector<PageArg>& args, std::string* name);

}  // namespace external
