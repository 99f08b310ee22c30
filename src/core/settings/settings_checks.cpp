#include "settings/settings_checks.h"

#include <charconv>

#include "common/files.h"
#include "common/text.h"
#include "settings/settings_file.h"

namespace fotela {
namespace {

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

const char* captionOf(SettingsBox box) {
  switch (box) {
    case SettingsBox::ThumbFolder:
      return "サムネイルフォルダ";
    case SettingsBox::ImageFolder:
      return "画像フォルダ";
    case SettingsBox::FrameWidth:
      return "フレーム横幅";
    case SettingsBox::ListPageWidth:
      return "一覧ページ横幅";
    case SettingsBox::SlideInterval:
      return "スライドショー時間";
  }
  return "";
}

std::optional<SettingsProblem> folderNameProblem(SettingsBox box, const std::string& name) {
  const std::string caption = std::string("「") + captionOf(box) + "」";
  if (name.empty()) return SettingsProblem{box, caption + "にフォルダー名を入力してください。"};
  if (name == "." || name == ".." || name.find('/') != std::string::npos)
    return SettingsProblem{
        box,
        caption + "には「/」を含まないフォルダー名を入力してください。（「.」「..」は使えません）"};
  return std::nullopt;
}

std::optional<SettingsProblem> numberProblem(SettingsBox box, const std::string& text) {
  if (wholeInt16(text)) return std::nullopt;
  return SettingsProblem{box, std::string("「") + captionOf(box) +
                                  "」には -32768 から 32767 までの整数を入力してください。"};
}

}  // namespace

std::optional<std::int16_t> wholeInt16(std::string_view text) {
  text = trimBlanks(text);
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::int16_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<SettingsProblem> checkSettingsTexts(const SettingsTexts& texts) {
  if (auto p = folderNameProblem(SettingsBox::ThumbFolder, texts.ThumbFolder)) return p;
  if (auto p = folderNameProblem(SettingsBox::ImageFolder, texts.ImageFolder)) return p;
  if (texts.ThumbFolder == texts.ImageFolder)
    return SettingsProblem{
        SettingsBox::ImageFolder,
        "「サムネイルフォルダ」と「画像フォルダ」には別の名前を入力してください。"};
  if (auto p = numberProblem(SettingsBox::FrameWidth, texts.FrameWidth)) return p;
  if (auto p = numberProblem(SettingsBox::ListPageWidth, texts.ListPageWidth)) return p;
  if (auto p = numberProblem(SettingsBox::SlideInterval, texts.SlideInterval)) return p;
  return std::nullopt;
}

std::int32_t colourOfHex(std::string_view text) {
  auto channel = [&](std::size_t at) {
    if (at >= text.size()) return 0;
    const int value = HexToNumber(text.substr(at, 2));
    return value < 0 || value > 255 ? 0 : value;
  };
  return channel(0) + channel(2) * 256 + channel(4) * 65536;
}

Result<void> loadSettingsFile(AlbumSettings& settings, const std::string& path,
                              UserDialogs& dialogs) {
  ReadOnlyFile file;
  if (!file.open(path)) return fail(path + " を開けません。");
  ReadSettings(settings, path, dialogs);
  return {};
}

}  // namespace fotela
