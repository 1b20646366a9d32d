#include "sky/star_table.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/core/code_page.h"

IMPLEMENT_DYNCREATE(CStarDataObject, CCmdTarget)

namespace sky {
namespace {

// The table's bytes, one at a time, through a buffer, and no further than the table's limit.
// `read` fills a buffer and says how many bytes it gave (0 at the end).
class TableReader {
 public:
  explicit TableReader(std::function<UINT(char*, UINT)> read) : read_(std::move(read)) {}

  // The next byte, or -1 at the end.
  int Next() {
    if (at_ == held_) {
      if (total_ >= kMaxTableBytes) return -1;
      const UINT want = static_cast<UINT>(std::min<long>(sizeof buffer_, kMaxTableBytes - total_));
      held_ = read_(buffer_, want);
      at_ = 0;
      total_ += held_;
      if (held_ == 0) return -1;
    }
    return static_cast<unsigned char>(buffer_[at_++]);
  }

  // Reads up to n bytes; returns how many arrived.
  int Read(char* out, int n) {
    int got = 0;
    while (got < n) {
      const int c = Next();
      if (c < 0) break;
      out[got++] = static_cast<char>(c);
    }
    return got;
  }

  void Skip(int n) {
    for (int i = 0; i < n; ++i) Next();
  }

 private:
  std::function<UINT(char*, UINT)> read_;
  char buffer_[4096];
  UINT held_ = 0;
  UINT at_ = 0;
  long total_ = 0;
};

// A text up to its ";", converted from code page 932; nothing when the file ends first.
std::optional<CString> ReadText(TableReader& in) {
  std::string bytes;
  for (;;) {
    const int c = in.Next();
    if (c < 0) return std::nullopt;
    if (c == ';') break;
    bytes.push_back(static_cast<char>(c));
  }
  in.Skip(2);
  return platform::FromCodePage932(bytes);
}

}  // namespace

int FieldNumber(const char bytes[4]) {
  int i = 0;
  while (i < 4 && std::isspace(static_cast<unsigned char>(bytes[i]))) ++i;
  bool negative = false;
  if (i < 4 && (bytes[i] == '+' || bytes[i] == '-')) {
    negative = bytes[i] == '-';
    ++i;
  }
  int value = 0;
  for (; i < 4 && std::isdigit(static_cast<unsigned char>(bytes[i])); ++i) value = value * 10 + (bytes[i] - '0');
  return negative ? -value : value;
}

namespace {

void ReadEntries(TableReader& in, CStarTable& table) {
  char field[4];
  if (in.Read(field, 4) < 4) return;
  for (;;) {
    auto entry = std::make_unique<CStarDataObject>();
    int numbers[8];
    numbers[0] = FieldNumber(field);
    bool complete = true;
    for (int k = 1; k < 8 && complete; ++k) {
      // One separator after each number; two line-end bytes after each rectangle's last.
      in.Skip(k == 4 ? 2 : 1);
      complete = in.Read(field, 4) == 4;
      if (complete) numbers[k] = FieldNumber(field);
    }
    if (!complete) return;
    in.Skip(2);
    entry->m_rcFirst = CRect(numbers[0], numbers[1], numbers[2], numbers[3]);
    entry->m_rcSecond = CRect(numbers[4], numbers[5], numbers[6], numbers[7]);
    const std::optional<CString> title = ReadText(in);
    const std::optional<CString> subtitle = title ? ReadText(in) : std::nullopt;
    const std::optional<CString> description = subtitle ? ReadText(in) : std::nullopt;
    if (!description) return;  // a text without its ";": the file ends inside this entry
    entry->m_strTitle = *title;
    entry->m_strSubtitle = *subtitle;
    entry->m_strDescription = *description;
    table.push_back(entry.release());
    if (in.Read(field, 4) < 4) return;
  }
}

}  // namespace

void LoadStarTable(const char* path, CStarTable& table) {
  CFile file;
  if (!file.Open(path, CFile::modeRead)) return;
  TableReader in([&file](char* buffer, UINT size) { return file.Read(buffer, size); });
  ReadEntries(in, table);
}

void ReadStarTable(std::string_view bytes, CStarTable& table) {
  TableReader in([&bytes](char* buffer, UINT size) {
    const size_t n = std::min<size_t>(size, bytes.size());
    std::memcpy(buffer, bytes.data(), n);
    bytes.remove_prefix(n);
    return static_cast<UINT>(n);
  });
  ReadEntries(in, table);
}

}  // namespace sky
