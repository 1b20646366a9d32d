// Help files: plain UTF-8 text of numbered topics, the format docs/help-format.md describes.
// The help viewer shows them; this is the one reader of the format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::help {

// A piece of a paragraph: text, or a link to another topic.
struct Run {
  std::string text;
  std::optional<std::int32_t> link;  // the topic linked to
};

struct Paragraph {
  bool listItem = false;  // one item of a "・" list
  std::vector<Run> runs;
};

struct Topic {
  std::int32_t number = 0;
  std::string title;
  std::vector<Paragraph> paragraphs;
};

struct Document {
  std::vector<Topic> topics;  // in file order

  const Topic* Find(std::int32_t number) const;
  // Topic 0, or the first topic of a file without it.
  const Topic& Contents() const;
};

// The file's text as a help document, or nothing with `error` saying what is wrong and on
// which line ("line 12: ...").
std::optional<Document> Parse(std::string_view text, std::string* error);

// Reads and parses a help file; the error names the file.
std::optional<Document> Load(const std::string& path, std::string* error);

}  // namespace platform::help
