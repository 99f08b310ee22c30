#include "photos/order_file.h"

#include <optional>

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
  // A photo's name may hold commas: an entry's name is the longest text before a comma
  // that names a photo of the folder, else the text before the first comma. The folder is
  // read only when some line has a second comma.
  std::optional<std::vector<std::string>> files;
  std::optional<FileNameIndex> photos;
  auto namesPhoto = [&](std::string_view name) {
    if (!photos) {
      files = listFolder(folder, EntryKind::File);
      photos.emplace(*files);
    }
    return photos->find(std::string(name) + ".jpg").has_value();
  };
  for (const std::string& line : splitLines(decodeDataFile(*bytes))) {
    // An empty line (hand-edited file) names no photo; the lines after it still count.
    if (line.empty()) continue;
    std::size_t comma = line.find(',');
    if (comma == std::string::npos) {
      table.add(line, "");
      continue;
    }
    for (std::size_t later = line.rfind(','); later > comma; later = line.rfind(',', later - 1)) {
      if (namesPhoto(std::string_view(line).substr(0, later))) {
        comma = later;
        break;
      }
    }
    // Everything after the name's comma is the description, commas included.
    table.add(line.substr(0, comma), line.substr(comma + 1));
  }
  return table;
}

Result<void> TitlePut(const std::string& photoFolder, std::span<const PhotoEntry> rows,
                      std::int16_t& orderChanged) {
  if (orderChanged == 0) return {};
  std::string text;
  for (const PhotoEntry& row : rows) {
    // A name with a line break cannot be an entry; the photo keeps its place among the
    // photos the file does not name.
    if (row.name.find_first_of("\r\n") != std::string::npos) continue;
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
