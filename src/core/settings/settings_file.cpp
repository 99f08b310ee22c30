#include "settings/settings_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "common/cp932.h"
#include "common/files.h"
#include "common/numbers.h"
#include "common/paths.h"
#include "common/user_dialogs.h"

namespace fotela {
namespace {

// Nothing past this matters: the layout has 29 short lines. A larger file (a binary
// picked by mistake) is read only this far, with a warning.
constexpr std::size_t kMaxSettingsBytes = 1 << 20;

// The first kMaxSettingsBytes of the file; `cut` tells whether there was more.
std::optional<std::string> readHead(const std::string& path, bool& cut) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(kMaxSettingsBytes + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  cut = bytes.size() > kMaxSettingsBytes;
  if (cut) bytes.resize(kMaxSettingsBytes);
  return bytes;
}

// Hands out the file's lines in order; past the end it has none.
class LineReader {
 public:
  explicit LineReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  bool atEnd() const { return next_ >= lines_.size(); }
  std::optional<std::string> next() {
    if (atEnd()) return std::nullopt;
    return lines_[next_++];
  }
  void text(std::string& field) {
    if (auto line = next()) field = *line;
  }
  void number(std::int16_t& field) {
    if (auto line = next())
      if (auto value = tryReadInt16(*line)) field = *value;
  }

 private:
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
};

std::string configFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return std::string(xdg) + "/fotela";
  if (const char* home = std::getenv("HOME"); home && *home)
    return std::string(home) + "/.config/fotela";
  return ".";
}

// Integers as the settings file prints them: a blank in the sign position.
std::string printed(std::int16_t value) {
  return signedNumberText(value);
}
// Lines 4 and 29 were written by a statement that also puts a blank after the digits.
std::string printedWithTrailingBlank(std::int16_t value) {
  return signedNumberText(value) + " ";
}

}  // namespace

std::string defaultSettingsPath() {
  const std::string folder = ProgramFolder();
  const std::string besideProgram = folder + "/" + kSettingsFileName;
  // A program in a build tree or a folder of its own keeps the file beside it. An
  // installed one (share/fotela beside its bin folder, or a system bin folder) does not,
  // even when it could write there (as root): the file is per user, unless one was
  // already put beside the program.
  if (programFolderIsWritable() && (!programIsInstalled() || isFile(besideProgram)))
    return besideProgram;
  // Keep the file per user, but still read one that was put beside the program when
  // there is no per-user file yet.
  const std::string perUser = configFolder() + "/" + kSettingsFileName;
  if (!isFile(perUser) && isFile(besideProgram)) return besideProgram;
  return perUser;
}

Result<void> ReadSettings(AlbumSettings& settings, const std::string& path, UserDialogs& dialogs) {
  const std::string file = path.empty() ? defaultSettingsPath() : path;
  bool cut = false;
  const std::optional<std::string> bytes = readHead(file, cut);
  AlbumSettings s = defaultAlbumSettings();
  if (!bytes) {
    settings = s;  // the program folder replaces any folder given before
    return {};
  }
  // Text never holds a NUL byte; a file that does (a picture or a program picked by
  // mistake) would turn into junk names and folders.
  if (bytes->find('\0') != std::string::npos) {
    const std::string message = file + " は設定ファイルではありません。読み込みません。";
    dialogs.message(message, kErrorCaption, DialogIcon::Warning);
    AlbumSettings blank;
    blank.PhotoFolder = settings.PhotoFolder;
    if (settings == blank) {
      // Nothing read yet (start-up): work from the defaults, with the folder given.
      if (!settings.PhotoFolder.empty()) s.PhotoFolder = settings.PhotoFolder;
      settings = s;
    }
    return fail(message);
  }
  if (cut)
    dialogs.message(file + " は 1MB を超えています。先頭の 1MB だけを設定として読み込みます。",
                    kProgramTitle, DialogIcon::Warning);
  LineReader in(splitLines(decodeDataFile(*bytes)));
  if (in.atEnd()) {
    // An empty file holds nothing to read: defaults, but a chosen folder stays.
    if (!settings.PhotoFolder.empty()) s.PhotoFolder = settings.PhotoFolder;
    settings = s;
    return {};
  }

  std::string version = *in.next();
  std::optional<std::string> folderLine;
  if (version == "Ver=2" || version == "Ver=3" || version == "Ver=4") {
    folderLine = in.next();
  } else {
    folderLine = version;
    version = "Ver=1";
    dialogs.message("古いバージョンの設定ファイルを読み込みます。\n\r設定の一部が無視されます",
                    kProgramTitle, DialogIcon::None);
  }
  if (!settings.PhotoFolder.empty())
    s.PhotoFolder = settings.PhotoFolder;
  else if (folderLine)
    s.PhotoFolder = *folderLine;

  in.text(s.AlbumHtml);
  in.number(s.TitleFromFolder);
  in.text(s.AlbumTitle);
  in.text(s.ThumbFolder);
  in.text(s.ImageFolder);
  in.number(s.ListPageWidth);
  in.number(s.FrameWidth);

  if (version == "Ver=1") {
    in.next();  // two lines of the oldest layout that no longer mean anything
    in.next();
  } else {
    in.text(s.BgColor);
    in.text(s.TextColor);
    in.text(s.LinkColor);
    in.text(s.VLinkColor);
    in.text(s.ALinkColor);
    in.text(s.BgImage);
    in.text(s.ReturnPage);
    in.text(s.CameraFolder);
  }
  if (version == "Ver=3" || version == "Ver=4") {
    in.text(s.EditScalePercent);
    in.text(s.EditFrameWidth);
    in.text(s.EditFrameColor);
    in.text(s.EditBlurFrameWidth);
    in.text(s.EditBlurFrameColor);
    in.text(s.EditEllipseBlurWidth);
    in.text(s.EditEllipseBlurColor);
    in.text(s.EditFocusBlurWidth);
    in.text(s.EditCompositeFile);
    in.text(s.EditTransparentColor);
  }
  in.number(s.SlideInterval);
  if (version == "Ver=4") in.number(s.IncludeVideos);
  settings = s;
  return {};
}

std::string settingsText(const AlbumSettings& s) {
  const std::string lines[] = {
      "Ver=4",
      s.PhotoFolder,
      s.AlbumHtml,
      printedWithTrailingBlank(s.TitleFromFolder),
      s.AlbumTitle,
      s.ThumbFolder,
      s.ImageFolder,
      printed(s.ListPageWidth),
      printed(s.FrameWidth),
      s.BgColor,
      s.TextColor,
      s.LinkColor,
      s.VLinkColor,
      s.ALinkColor,
      s.BgImage,
      s.ReturnPage,
      s.CameraFolder,
      s.EditScalePercent,
      s.EditFrameWidth,
      s.EditFrameColor,
      s.EditBlurFrameWidth,
      s.EditBlurFrameColor,
      s.EditEllipseBlurWidth,
      s.EditEllipseBlurColor,
      s.EditFocusBlurWidth,
      s.EditCompositeFile,
      s.EditTransparentColor,
      printed(s.SlideInterval),
      printedWithTrailingBlank(s.IncludeVideos),
  };
  std::string text;
  for (const std::string& line : lines) {
    // A value is one line; a line break inside it would shift every later field.
    for (char c : line) text += (c == '\r' || c == '\n') ? ' ' : c;
    text += "\r\n";
  }
  return text;
}

Result<void> WriteSettings(const AlbumSettings& settings, const std::string& path) {
  const std::string file = path.empty() ? defaultSettingsPath() : path;
  if (path.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
  }
  return writeFileAtomic(file, encodeDataFile(settingsText(settings)));
}

}  // namespace fotela
