// Arbitrary bytes read as a help file. A refusal must name a line of the text; a document must
// be one the viewer can show without checking (topics, each number once, every link leading
// to a topic of the file), and written out again in the format it must read back the same.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "check.h"
#include "platform/core/help_file.h"

namespace help = platform::help;
using fuzz::Check;

namespace {

// "line N: ..." with N one of the text's lines, or the one message without a line.
bool NamesALineOf(const std::string& error, std::string_view text) {
  if (error == "no topics") return true;
  constexpr std::string_view kPrefix = "line ";
  if (error.compare(0, kPrefix.size(), kPrefix) != 0) return false;
  const std::size_t colon = error.find(':');
  if (colon == std::string::npos || colon == kPrefix.size()) return false;
  long long line = 0;
  for (std::size_t i = kPrefix.size(); i < colon; ++i) {
    if (error[i] < '0' || error[i] > '9' || line > (1LL << 40)) return false;
    line = line * 10 + (error[i] - '0');
  }
  long long lines = 1;
  for (char c : text) lines += c == '\n';
  return line >= 1 && line <= lines;
}

// The document in the help file format. Every line ends in "\r\n", so that a text ending in
// "\r" keeps it when the reader takes one "\r" off each line.
std::string Write(const help::Document& doc) {
  std::string out = "LUMIVANE-HELP 1\r\n";
  for (const help::Topic& topic : doc.topics) {
    out += "@topic " + std::to_string(topic.number) + " " + topic.title + "\r\n";
    for (std::size_t p = 0; p < topic.paragraphs.size(); ++p) {
      const help::Paragraph& paragraph = topic.paragraphs[p];
      std::string line;
      for (const help::Run& run : paragraph.runs) {
        line += run.link ? "[[" + std::to_string(*run.link) + "|" + run.text + "]]" : run.text;
      }
      // A paragraph's lines are joined as they stand, so "@topic" and " 1 x" make the text
      // "@topic 1 x", and two halves of a character may make the list mark; on one line
      // that would start a topic or a list.
      if (!paragraph.listItem && (line.rfind("@topic ", 0) == 0 || line.rfind("・", 0) == 0)) line.insert(1, "\r\n");
      out += line + "\r\n";
      // The items of a list follow each other line by line; a blank line ends the list or
      // the paragraph.
      const bool listGoesOn = paragraph.listItem && p + 1 < topic.paragraphs.size() && topic.paragraphs[p + 1].listItem;
      if (!listGoesOn) out += "\r\n";
    }
  }
  return out;
}

bool SameDocument(const help::Document& a, const help::Document& b) {
  if (a.topics.size() != b.topics.size()) return false;
  for (std::size_t t = 0; t < a.topics.size(); ++t) {
    const help::Topic& x = a.topics[t];
    const help::Topic& y = b.topics[t];
    if (x.number != y.number || x.title != y.title || x.paragraphs.size() != y.paragraphs.size()) return false;
    for (std::size_t p = 0; p < x.paragraphs.size(); ++p) {
      const help::Paragraph& px = x.paragraphs[p];
      const help::Paragraph& py = y.paragraphs[p];
      if (px.listItem != py.listItem || px.runs.size() != py.runs.size()) return false;
      for (std::size_t r = 0; r < px.runs.size(); ++r) {
        if (px.runs[r].text != py.runs[r].text || px.runs[r].link != py.runs[r].link) return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::optional<help::Document> doc = help::Parse(text, &error);
  if (!doc) {
    Check(NamesALineOf(error, text), "a refusal names a line of the text");
    return 0;
  }

  Check(!doc->topics.empty(), "a document has topics");
  std::set<std::int32_t> numbers;
  for (const help::Topic& topic : doc->topics) {
    Check(topic.number >= 0 && numbers.insert(topic.number).second, "each topic number once, none negative");
    Check(!topic.title.empty(), "every topic has a title");
    Check(doc->Find(topic.number) == &topic, "a topic is found by its number");
  }
  Check(doc->Contents().number == (numbers.count(0) ? 0 : doc->topics.front().number),
        "the contents are topic 0, else the first topic");
  for (const help::Topic& topic : doc->topics) {
    for (const help::Paragraph& paragraph : topic.paragraphs) {
      Check(!paragraph.runs.empty(), "a paragraph has text");
      for (const help::Run& run : paragraph.runs) {
        Check(!run.text.empty(), "no piece of a paragraph is empty");
        if (run.link) Check(doc->Find(*run.link) != nullptr, "every link leads to a topic of the file");
      }
    }
  }

  std::string again;
  const std::optional<help::Document> reread = help::Parse(Write(*doc), &again);
  Check(reread.has_value(), "the document written out reads again");
  Check(SameDocument(*doc, *reread), "the document written out reads back the same");
  return 0;
}
