#pragma once
// The keys of config/cg.txt: one table that the program's reader and the package checker share.
#include <string>
#include <vector>

namespace schema {

enum class Kind { Int, Text };

struct Key {
  const char* name;
  Kind kind;
  int capacity;             // text: bytes kept, the terminator included; 0 for numbers
  const char* fallback;     // the value when the key is missing, as written in the file
  bool address;             // a cut value breaks an address
  const char* description;  // what the key sets, for operators
};

struct Section {
  const char* prefix;    // "global", or a list's section name without its number ("link")
  const char* countKey;  // a list's entry count in [global]; null for [global]
  int bound;             // a list: the most entries the program reads; 0 for [global]
  std::vector<Key> keys;
};

// A key as the reader read it: `section` is a table's prefix, `capacity` the bytes the reader
// keeps of a text (0: kept whole, and for numbers).
struct KeyRead {
  std::string section;
  std::string key;
  Kind kind;
  int capacity;
};

// [global] first, then the lists in the order the program reads them.
const std::vector<Section>& Sections();
const Section& Global();
// The list whose sections are named `prefix` followed by a number; null when there is none.
const Section* List(const std::string& prefix);
// The key `name` of `section`; null when the program does not read it.
const Key* Find(const Section& section, const std::string& name);

}  // namespace schema
