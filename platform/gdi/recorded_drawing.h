// A drawing kept as the pixels it sets, to be put onto a DC again and again at the cost of
// copying those pixels: a frame of many pen strokes, repainted with every paint, becomes a
// few hundred row copies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "platform/core/windef.h"

namespace gdi {

class RecordedDrawing {
 public:
  // Runs `draw` on a fresh memory DC compatible with `reference` (every attribute at its
  // default) and keeps what it sets inside `bounds`, in the DC's logical coordinates. The
  // drawing runs twice, over black and over white: a pixel that comes out the same on both
  // was set, and one still showing the background was left alone. A drawing that reads what
  // it draws over (text with smoothed edges in transparent mode, AND and OR copies) comes
  // out differently on the two and is not recorded. A drawing that copies from its own DC
  // is not noticed that way: it must not.
  static std::optional<RecordedDrawing> Record(HDC reference, const RECT& bounds,
                                               const std::function<void(HDC)>& draw);

  // Sets the recorded pixels on the DC, through its clip, as the drawing would have set them
  // there, and reports them drawn.
  void Replay(HDC hdc) const;

  bool IsEmpty() const { return rows_.empty(); }

 private:
  // Pixels [left, right) of a row (logical coordinates), their values from pixels_[first].
  struct Run {
    int left;
    int right;
    std::size_t first;
  };
  // The runs of row y: runs_[begin, end), from left to right.
  struct Row {
    int y;
    std::uint32_t begin;
    std::uint32_t end;
  };
  std::vector<Row> rows_;  // from the top down, only rows with something set
  std::vector<Run> runs_;
  std::vector<std::uint32_t> pixels_;
};

// The last few recordings of one painter, each found by everything its drawing depends on
// (`Key`, compared with ==), with whatever else the drawing worked out (`Extra`). Objects
// go into keys by handle: a handle never names a second object.
template <typename Key, typename Extra = std::monostate, std::size_t kEntries = 4>
class RecordingCache {
 public:
  struct Entry {
    Key key;
    std::optional<RecordedDrawing> drawing;  // none: the drawing could not be recorded
    Extra extra;
  };

  // The entry for `key`, made by `make()` when there is none; the oldest makes room.
  template <typename Make>
  const Entry& Find(const Key& key, Make make) {
    for (const std::optional<Entry>& e : entries_) {
      if (e && e->key == key) return *e;
    }
    std::optional<Entry>& slot = entries_[next_];
    next_ = (next_ + 1) % kEntries;
    slot.reset();  // the old recording goes before the new one is made
    slot = make();
    return *slot;
  }

 private:
  std::array<std::optional<Entry>, kEntries> entries_;
  std::size_t next_ = 0;
};

}  // namespace gdi
