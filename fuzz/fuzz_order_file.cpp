// The order file: what is read from any bytes is written and read back unchanged (line
// breaks inside a description become blanks), and the lookups find every entry.
#include <filesystem>

#include "fuzz_support.h"
#include "photos/order_file.h"
#include "photos/photo_entry.h"

using namespace fotela;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::asText(data, size);
  const std::string folder = fuzz::scratchFolder();
  fuzz::writeScratchFile(kOrderFileName, bytes);
  const OrderTable table = TitleGet(folder);

  std::vector<PhotoEntry> rows;
  for (const OrderEntry& e : table.entries()) {
    if (!fuzz::isValidUtf8(e.name) || !fuzz::isValidUtf8(e.description))
      fuzz::failure("an entry is not UTF-8", bytes);
    if (e.name.find(',') != std::string::npos) fuzz::failure("a name holds a comma", bytes);
    if (table.isTitle(e.name) != 1) fuzz::failure("entry not found: " + e.name, bytes);
    PhotoEntry row;
    row.name = e.name;
    row.type = "jpg";
    row.description = e.description;
    rows.push_back(row);
  }
  std::int16_t changed = 1;
  if (!TitlePut(folder, rows, changed) || changed != 0)
    fuzz::failure("cannot write the order file", bytes);
  const OrderTable back = TitleGet(folder);
  // Only lines that are not empty count, so a row written from an empty name and
  // description (",") comes back as an entry with an empty name.
  if (back.entries().size() != rows.size())
    fuzz::failure("read back " + std::to_string(back.entries().size()) + " entries of " +
                      std::to_string(rows.size()),
                  bytes);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::string description = rows[i].description;
    for (char& c : description)
      if (c == '\r' || c == '\n') c = ' ';
    const OrderEntry& e = back.entries()[i];
    if (e.name != rows[i].name || e.description != description)
      fuzz::failure(
          "entry " + std::to_string(i) + " read back as '" + e.name + "," + e.description + "'",
          bytes);
  }
  std::filesystem::remove(folder + "/" + kOrderFileName);
  return 0;
}
