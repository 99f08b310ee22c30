// The settings file: any bytes read, written and read again give the same settings.
#include "common/scripted_dialogs.h"
#include "fuzz_support.h"
#include "settings/settings_file.h"

using namespace fotela;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::asText(data, size);
  const std::string first = fuzz::writeScratchFile("in.ini", bytes);
  ScriptedDialogs dialogs;
  AlbumSettings read;
  ReadSettings(read, first, dialogs);
  const std::string text = settingsText(read);
  if (!fuzz::isValidUtf8(text)) fuzz::failure("settings text is not UTF-8", bytes);

  const std::string second = fuzz::scratchFolder() + "/out.ini";
  if (!WriteSettings(read, second)) fuzz::failure("cannot write the settings", bytes);
  AlbumSettings again;
  ReadSettings(again, second, dialogs);
  if (!(again == read))
    fuzz::failure("read back differs:\n" + text + "\n---\n" + settingsText(again), bytes);
  return 0;
}
