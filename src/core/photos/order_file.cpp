#include "photos/order_file.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "common/cp932.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "photos/photo_entry.h"

namespace fotela {
namespace {

// A line is read up to this many bytes as stored: a photo's name (a file name holds at
// most 255 bytes), its comma and the longest description kept, with room to spare (every
// stored byte gives at least one byte of UTF-8, so the description is still cut after
// decoding).
constexpr std::size_t kMaxStoredLineBytes = kMaxDescriptionBytes + 1024;
constexpr std::size_t kReadBytes = 64 * 1024;

// Calls `take(line, cut)` with each line of the file from byte `start` on, as stored, cut
// to kMaxStoredLineBytes (`cut` then true). CR and LF each end a line, so CR LF gives an
// extra empty line, which the reader skips as it skips every empty line. Holds one piece
// of the file and one line.
template <class Take>
void forEachStoredLine(const ReadOnlyFile& file, std::uint64_t start, Take take) {
  std::vector<char> piece(kReadBytes);
  std::string line;
  bool cut = false;
  std::uint64_t offset = start;
  while (const std::size_t got = file.readAt(piece.data(), piece.size(), offset)) {
    offset += got;
    const char* p = piece.data();
    const char* const end = p + got;
    while (p < end) {
      const char* stop = std::find_if(p, end, [](char c) { return c == '\r' || c == '\n'; });
      const std::size_t room = kMaxStoredLineBytes - line.size();
      line.append(p, std::min<std::size_t>(room, stop - p));
      cut = cut || static_cast<std::size_t>(stop - p) > room;
      if (stop == end) break;
      take(std::string_view(line), cut);
      line.clear();
      cut = false;
      p = stop + 1;
    }
  }
  if (!line.empty()) take(std::string_view(line), cut);
}

// The longest start of UTF-8 text within `limit` bytes that ends between two characters.
std::size_t utf8Prefix(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  std::size_t n = limit;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return n;
}

// FNV-1a of the name with ASCII letters folded to upper case.
std::size_t foldedHash(std::string_view name) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : name) h = (h ^ (c >= 'a' && c <= 'z' ? c - 32 : c)) * 1099511628211ull;
  return static_cast<std::size_t>(h);
}

}  // namespace

void OrderTable::add(std::string name, std::string description) {
  if (!find(name)) {
    if ((indexed_ + 1) * 2 > slots_.size()) {
      std::vector<std::size_t> old(std::max<std::size_t>(16, slots_.size() * 2), kFreeSlot);
      old.swap(slots_);
      for (std::size_t entry : old)
        if (entry != kFreeSlot) slots_[freeSlot(entries_[entry].name)] = entry;
    }
    slots_[freeSlot(name)] = entries_.size();
    ++indexed_;
  }
  entries_.push_back({std::move(name), std::move(description)});
}

std::size_t OrderTable::freeSlot(std::string_view name) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = foldedHash(name) & mask;
  while (slots_[i] != kFreeSlot) i = (i + 1) & mask;
  return i;
}

const OrderEntry* OrderTable::find(std::string_view name) const {
  if (slots_.empty()) return nullptr;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = foldedHash(name) & mask; slots_[i] != kFreeSlot; i = (i + 1) & mask)
    if (equalsIgnoreAsciiCase(entries_[slots_[i]].name, name)) return &entries_[slots_[i]];
  return nullptr;
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
  const std::string path = folderPrefix(folder) + *stored;
  ReadOnlyFile file;
  if (!file.open(path)) return table;
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
  bool cut = false;
  // The byte-order mark, if any, is in the first bytes; it decides for the whole file.
  char head[3] = {};
  const bool utf8 = file.readAt(head, sizeof head, 0) == sizeof head &&
                    std::string_view(head, sizeof head) == kUtf8Bom;
  forEachStoredLine(file, utf8 ? kUtf8Bom.size() : 0, [&](std::string_view stored, bool lineCut) {
    // An empty line (hand-edited file) names no photo; the lines after it still count.
    if (stored.empty()) return;
    const std::string line = decodeDataText(stored, utf8);
    std::size_t comma = line.find(',');
    if (comma == std::string::npos) {
      table.add(line, "");
      cut = cut || lineCut;
      return;
    }
    for (std::size_t later = line.rfind(','); later > comma; later = line.rfind(',', later - 1)) {
      if (namesPhoto(std::string_view(line).substr(0, later))) {
        comma = later;
        break;
      }
    }
    // Everything after the name's comma is the description, commas included.
    std::string description = line.substr(comma + 1);
    if (description.size() > kMaxDescriptionBytes) {
      description.resize(utf8Prefix(description, kMaxDescriptionBytes));
      lineCut = true;
    }
    cut = cut || lineCut;
    table.add(line.substr(0, comma), std::move(description));
  });
  if (cut)
    table.setWarning("長すぎる説明文を " + std::to_string(kMaxDescriptionBytes / 1024) +
                     "KB までで切りました: " + path);
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
