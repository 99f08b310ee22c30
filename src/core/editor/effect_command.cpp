#include "editor/effect_command.h"

#include "common/numbers.h"

namespace fotela {

std::string photoSizeText(const Image& shown) {
  return "写真の幅：" + signedNumberText(shown.width()) + "　高さ：" +
         signedNumberText(shown.height());
}

EffectDialogSetup effectDialogSetup(EffectCommand command, const AlbumSettings& settings,
                                    const Image& shown) {
  EffectDialogSetup d;
  d.sizeText = photoSizeText(shown);
  // The frames, the colour blur and the composite have a second row with a colour.
  auto withColourRow = [&](const char* label2, const std::string& text2) {
    d.label2 = label2;
    d.text2 = text2;
    d.showLabel2 = d.showText2 = d.showColourButton = true;
  };
  switch (command) {
    case EffectCommand::Scale:
      d.caption = "拡大／縮小";
      d.label1 = "拡大／縮小の比率を入力してください\r\n  （長さの比率で指定してください　％）";
      d.text1 = settings.EditScalePercent;
      break;
    case EffectCommand::RaisedFrame:
      d.caption = "四角枠（立体）";
      d.label1 = "枠の太さを指定してください。";
      d.text1 = settings.EditFrameWidth;
      withColourRow("枠の色を指定してください。", settings.EditFrameColor);
      break;
    case EffectCommand::BlurFrame:
      d.caption = "四角枠（ぼかし）";
      d.label1 = "枠の太さを指定してください。";
      d.text1 = settings.EditBlurFrameWidth;
      withColourRow("枠の色を指定してください。", settings.EditBlurFrameColor);
      break;
    case EffectCommand::EllipseColorBlur:
      d.caption = "楕円（色ぼかし）";
      d.label1 = "ボカシ幅を指定してください。";
      d.text1 = settings.EditEllipseBlurWidth;
      withColourRow("ボカシの色を指定してください。", settings.EditEllipseBlurColor);
      break;
    case EffectCommand::EllipseFocusBlur:
      d.caption = "楕円（ピントぼかし）";
      d.label1 = "ボカシ幅を指定してください。";
      d.text1 = settings.EditFocusBlurWidth;
      break;
    case EffectCommand::Composite:
      d.caption = "合成";
      d.label1 = "合成画像ファイル名を入力してください";
      d.text1 = settings.EditCompositeFile;
      withColourRow("透明色を入力してください", settings.EditTransparentColor);
      d.showFileButton = true;
      d.wideText1 = true;
      break;
    case EffectCommand::Rotate:
      break;
  }
  return d;
}

}  // namespace fotela
