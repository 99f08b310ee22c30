#include "photos/order_file.h"

#include "common/cp932.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "photos/photo_entry.h"

namespace fotela {

void OrderTable::add(std::string name, std::string description) {
  firstByFoldedName_.try_emplace(asciiUpper(name), entries_.size());
  entries_.push_back({std::move(name), std::move(description)});
}

const OrderEntry* OrderTable::find(std::string_view name) const {
  auto it = firstByFoldedName_.find(asciiUpper(name));
  return it == firstByFoldedName_.end() ? nullptr : &entries_[it->second];
}

std::string OrderTable::TitleName(std::string_view name) const {
  const OrderEntry* e = find(name);
  return e ? e->description : std::string(name);
}

std::int16_t OrderTable::isTitle(std::string_view name) const {
  return find(name) ? 1 : 0;
}

OrderTable TitleGet(const std::string& folder) {
  OrderTable table;
  const auto stored = findFileIgnoringCase(folder, kOrderFileName);
  if (!stored) return table;
  auto bytes = readWholeFile(folderPrefix(folder) + *stored);
  if (!bytes) return table;
  for (const std::string& line : splitLines(decodeDataFile(*bytes))) {
    // An empty line (hand-edited file) names no photo; the lines after it still count.
    if (line.empty()) continue;
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos) {
      table.add(line, "");
    } else {
      // Everything after the first comma is the description, commas included.
      table.add(line.substr(0, comma), line.substr(comma + 1));
    }
  }
  return table;
}

Result<void> TitlePut(const std::string& photoFolder, std::span<const PhotoEntry> rows,
                      std::int16_t& orderChanged) {
  if (orderChanged == 0) return {};
  std::string text;
  for (const PhotoEntry& row : rows) {
    text += row.name;
    text += ',';
    // One line per photo: a line break inside a description would split the entry.
    for (char c : row.description) text += (c == '\r' || c == '\n') ? ' ' : c;
    text += "\r\n";
  }
  // Replace the file under the name it already has, whatever its letter case.
  const std::string name =
      findFileIgnoringCase(photoFolder, kOrderFileName).value_or(kOrderFileName);
  auto written = writeFileAtomic(folderPrefix(photoFolder) + name, encodeDataFile(text));
  if (!written) return written;
  orderChanged = 0;
  return {};
}

}  // namespace fotela
