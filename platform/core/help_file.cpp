#include "platform/core/help_file.h"

#include <charconv>
#include <set>

#include "platform/core/plain_file.h"

namespace platform::help {
namespace {

constexpr std::string_view kFirstLine = "LUMIVANE-HELP 1";
constexpr std::string_view kTopic = "@topic ";
constexpr std::string_view kListMark = "・";
// Help files are small; a larger file is not one.
constexpr std::size_t kMaxFileBytes = 4 << 20;

std::string LineError(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

// Splits a paragraph's text into plain runs and [[N|label]] links; false on a broken link.
bool SplitRuns(std::string_view text, std::vector<Run>& runs, std::vector<std::int32_t>& links) {
  while (!text.empty()) {
    const std::size_t open = text.find("[[");
    if (open == std::string_view::npos) {
      runs.push_back(Run{std::string(text), std::nullopt});
      break;
    }
    if (open > 0) runs.push_back(Run{std::string(text.substr(0, open)), std::nullopt});
    const std::size_t close = text.find("]]", open);
    const std::size_t bar = text.find('|', open);
    if (close == std::string_view::npos || bar == std::string_view::npos || bar > close) return false;
    const std::string_view number = text.substr(open + 2, bar - open - 2);
    std::int32_t target = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), target);
    if (ec != std::errc() || end != number.data() + number.size() || target < 0) return false;
    const std::string_view label = text.substr(bar + 1, close - bar - 1);
    if (label.empty()) return false;
    runs.push_back(Run{std::string(label), target});
    links.push_back(target);
    text.remove_prefix(close + 2);
  }
  return true;
}

}  // namespace

const Topic* Document::Find(std::int32_t number) const {
  for (const Topic& t : topics) {
    if (t.number == number) return &t;
  }
  return nullptr;
}

const Topic& Document::Contents() const {
  const Topic* zero = Find(0);
  return zero ? *zero : topics.front();
}

std::optional<Document> Parse(std::string_view text, std::string* error) {
  auto fail = [&](const std::string& what) -> std::optional<Document> {
    if (error) *error = what;
    return std::nullopt;
  };
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  Document doc;
  std::set<std::int32_t> numbers;
  std::vector<std::pair<std::int32_t, int>> links;  // target, line
  std::vector<std::string> paragraph;               // the lines of the paragraph being read
  int paragraphLine = 0;

  // Closes the paragraph being read into the current topic.
  auto endParagraph = [&]() -> bool {
    if (paragraph.empty()) return true;
    const bool list = paragraph.front().rfind(kListMark, 0) == 0;
    std::vector<std::string> pieces;
    if (list) {
      for (const std::string& line : paragraph) pieces.push_back(line);
    } else {
      std::string joined;
      for (const std::string& line : paragraph) joined += line;
      pieces.push_back(joined);
    }
    for (const std::string& piece : pieces) {
      Paragraph p;
      p.listItem = list;
      std::vector<std::int32_t> found;
      if (!SplitRuns(piece, p.runs, found)) return false;
      for (std::int32_t target : found) links.emplace_back(target, paragraphLine);
      doc.topics.back().paragraphs.push_back(std::move(p));
    }
    paragraph.clear();
    return true;
  };

  int lineNumber = 0;
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lineNumber == 1) {
      if (line != kFirstLine) return fail(LineError(1, "not a help file (the first line must be \"LUMIVANE-HELP 1\")"));
      continue;
    }
    if (!line.empty() && line.front() == '#') continue;
    if (line.rfind(kTopic, 0) == 0) {
      if (!doc.topics.empty() && !endParagraph()) return fail(LineError(paragraphLine, "a broken [[N|label]] link"));
      std::string_view rest = line.substr(kTopic.size());
      const std::size_t space = rest.find(' ');
      std::int32_t number = 0;
      const std::string_view digits = rest.substr(0, space);
      const auto [end2, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
      if (ec != std::errc() || end2 != digits.data() + digits.size() || number < 0 || space == std::string_view::npos ||
          rest.substr(space + 1).empty()) {
        return fail(LineError(lineNumber, "a topic line reads \"@topic NUMBER TITLE\""));
      }
      if (!numbers.insert(number).second) return fail(LineError(lineNumber, "topic " + std::to_string(number) + " twice"));
      doc.topics.push_back(Topic{number, std::string(rest.substr(space + 1)), {}});
      continue;
    }
    if (doc.topics.empty()) {
      if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
      return fail(LineError(lineNumber, "text before the first @topic"));
    }
    if (line.find_first_not_of(" \t") == std::string_view::npos) {
      if (!endParagraph()) return fail(LineError(paragraphLine, "a broken [[N|label]] link"));
      continue;
    }
    if (paragraph.empty()) paragraphLine = lineNumber;
    paragraph.emplace_back(line);
  }
  if (doc.topics.empty()) return fail("no topics");
  if (!endParagraph()) return fail(LineError(paragraphLine, "a broken [[N|label]] link"));
  for (const auto& [target, line] : links) {
    if (!numbers.count(target)) return fail(LineError(line, "a link to topic " + std::to_string(target) + ", which is not in the file"));
  }
  return doc;
}

std::optional<Document> Load(const std::string& path, std::string* error) {
  ReadProblem problem;
  const std::optional<std::string> text = ReadPlainFile(path, kMaxFileBytes, &problem);
  if (!text) {
    if (error) *error = path + ": " + (problem.missing ? std::string("not found") : problem.why);
    return std::nullopt;
  }
  std::string why;
  auto doc = Parse(*text, &why);
  if (!doc && error) *error = path + ": " + why;
  return doc;
}

}  // namespace platform::help
