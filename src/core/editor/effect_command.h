#pragma once
// The six parameterised commands of the editor's 写真加工 menu: what their shared dialog
// shows, and what it hands back.

#include <optional>
#include <string>

#include "common/user_dialogs.h"
#include "imaging/image.h"
#include "settings/album_settings.h"

namespace fotela {

enum class EffectCommand {
  Scale,             // 拡大／縮小
  RaisedFrame,       // 四角枠（立体）
  BlurFrame,         // 四角枠（ぼかし）
  EllipseColorBlur,  // 楕円（色ぼかし）
  EllipseFocusBlur,  // 楕円（ピントぼかし）
  Composite,         // 合成
  Rotate,            // the rotations: no dialog; used by the command line's operation lists
};

// The dialog's contents for one command. A label or text that is nullopt is not set by
// the command: the control keeps what it showed before.
struct EffectDialogSetup {
  std::string caption;
  std::string label1;
  std::optional<std::string> label2;
  std::string text1;
  std::optional<std::string> text2;
  std::string sizeText;  // Label3: "写真の幅： 640　高さ： 480"
  bool showLabel1 = true;
  bool showLabel2 = false;
  bool showText1 = true;
  bool showText2 = false;
  bool showColourButton = false;  // Command1
  bool showFileButton = false;    // Command2
  bool wideText1 = false;         // Text1 169 pixels wide while shown (else 33)
};

EffectDialogSetup effectDialogSetup(EffectCommand command, const AlbumSettings& settings,
                                    const Image& shown);

// "写真の幅： W　高さ： H", each number after one blank.
std::string photoSizeText(const Image& shown);

// What the user did with the dialog.
struct EffectDialogAnswer {
  bool ok = false;  // OK pressed (cancel and the close box both give false)
  std::string text1;
  std::string text2;
  bool allPhotos = false;  // Check1: every photo of the list, each saved
};

// The message of the ellipse width check (shown with kErrorCaption).
inline constexpr const char* kHalfWidthMessage =
    "幅は写真の大きさの半分以内の長さを指定してください";

}  // namespace fotela
