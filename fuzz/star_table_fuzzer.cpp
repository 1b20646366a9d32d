// Arbitrary bytes read as the star table: numbers, separators, texts in code page 932, cut
// anywhere. Every entry that comes back must be whole.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "check.h"
#include "sky/star_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CStarTable table;
  sky::ReadStarTable(std::string_view(reinterpret_cast<const char*>(data), size), table);
  // An entry needs 42 bytes of numbers, separators and line ends and 7 of text ends and
  // line ends; all but the last also need their final two line-end bytes.
  fuzz::Check(table.empty() || table.size() * 51 - 2 <= size, "every entry read is whole");
  for (CStarDataObject* star : table) delete star;
  return 0;
}
