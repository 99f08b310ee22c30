#pragma once
// The per-folder order and description file "titlen.txt".

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/error.h"

namespace fotela {

struct PhotoEntry;

inline constexpr const char* kOrderFileName = "titlen.txt";

struct OrderEntry {
  std::string name;         // text before the comma that ends a photo's name
  std::string description;  // all text after the first comma
};

class OrderTable {
 public:
  void add(std::string name, std::string description);
  const std::vector<OrderEntry>& entries() const { return entries_; }

  // The description of the first entry whose name equals `name` ignoring ASCII case;
  // `name` itself when none does.
  std::string TitleName(std::string_view name) const;
  // 1 when an entry's name equals `name` ignoring ASCII case, else 0.
  std::int16_t isTitle(std::string_view name) const;

 private:
  const OrderEntry* find(std::string_view name) const;

  std::vector<OrderEntry> entries_;
  // Folded name -> index of its first entry: a folder of thousands of photos looks every
  // one of them up.
  std::unordered_map<std::string, std::size_t> firstByFoldedName_;
};

// Reads the order file of `folder` (found ignoring case). No file gives an empty table.
// An entry's name is the longest text before a comma that names a photo (name + ".jpg",
// letter case aside) of the folder, else the text before the first comma; the rest of the
// line is its description. Empty lines carry nothing and are skipped. The caller clears
// OrderChanged.
OrderTable TitleGet(const std::string& folder);

// When orderChanged is 1: writes one line per row ("name,description"; a row whose name
// holds a line break is left out, as no line can hold it) to the order file
// of photoFolder, replaced atomically, and clears orderChanged. A failed write keeps the
// old file, leaves orderChanged at 1 and names the file in the error.
Result<void> TitlePut(const std::string& photoFolder, std::span<const PhotoEntry> rows,
                      std::int16_t& orderChanged);

}  // namespace fotela
