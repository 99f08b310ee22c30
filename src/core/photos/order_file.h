#pragma once
// The per-folder order and description file "titlen.txt".

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"

namespace fotela {

struct PhotoEntry;

inline constexpr const char* kOrderFileName = "titlen.txt";
// A description is kept up to this many bytes (UTF-8); the rest of a longer one is cut.
inline constexpr std::size_t kMaxDescriptionBytes = 64 * 1024;

struct OrderEntry {
  std::string name;         // text before the comma that ends a photo's name
  std::string description;  // all text after the first comma
};

class OrderTable {
 public:
  void add(std::string name, std::string description);
  const std::deque<OrderEntry>& entries() const { return entries_; }

  // The description of the first entry whose name equals `name` ignoring ASCII case;
  // `name` itself when none does.
  std::string TitleName(std::string_view name) const;
  // 1 when an entry's name equals `name` ignoring ASCII case, else 0.
  std::int16_t isTitle(std::string_view name) const;

  // What the reader has to tell the user about the file (a description cut), naming the
  // file; empty when nothing.
  const std::string& warning() const { return warning_; }
  void setWarning(std::string text) { warning_ = std::move(text); }

 private:
  static constexpr std::size_t kFreeSlot = static_cast<std::size_t>(-1);
  const OrderEntry* find(std::string_view name) const;
  std::size_t freeSlot(std::string_view name) const;

  // A deque, not a vector: a file of millions of lines grows it without copying it whole.
  std::deque<OrderEntry> entries_;
  // The number of the first entry of each name (letter case aside), by a hash of the name
  // with open addressing, at most half full: a folder of thousands of photos looks every
  // one of them up, and the index costs a few bytes an entry.
  std::vector<std::size_t> slots_;
  std::size_t indexed_ = 0;
  std::string warning_;
};

// Reads the order file of `folder` (found ignoring case). No file gives an empty table.
// An entry's name is the longest text before a comma that names a photo (name + ".jpg",
// letter case aside) of the folder, else the text before the first comma; the rest of the
// line is its description, cut to kMaxDescriptionBytes (with one warning for the file).
// Empty lines carry nothing and are skipped. The file is read as a stream: memory goes
// with the entries kept, not with the file's size. The caller clears OrderChanged.
OrderTable TitleGet(const std::string& folder);

// When orderChanged is 1: writes one line per row ("name,description"; a row whose name
// holds a line break is left out, as no line can hold it) to the order file
// of photoFolder, replaced atomically, and clears orderChanged. A failed write keeps the
// old file, leaves orderChanged at 1 and names the file in the error.
Result<void> TitlePut(const std::string& photoFolder, std::span<const PhotoEntry> rows,
                      std::int16_t& orderChanged);

}  // namespace fotela
