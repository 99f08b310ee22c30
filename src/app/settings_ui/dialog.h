#pragma once
// The settings dialog: edits the album settings (all but the photo folder and the
// editor's values), picks colours and files, restores the defaults, and loads or saves
// a settings file. "OK" applies the boxes to the program's settings; the settings file
// itself is written when the main window closes.

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace fotela {
struct AlbumSettings;
struct ProgramState;
class UserDialogs;
}  // namespace fotela

namespace fotela::app {

class Dialog : public QDialog {
  Q_OBJECT
 public:
  Dialog(ProgramState& state, UserDialogs& dialogs, QWidget* parent = nullptr);

  // Shows the current settings in the boxes.
  void DispSet();
  // Every box but the title from `s`.
  void showBoxes(const AlbumSettings& s);
  // The colour dialog preset from an RRGGBB text; the chosen colour's text, or `hex`
  // unchanged on cancel.
  QString getColor(const QString& hex);
  // Browsing: kind 1 an image, 2 an HTML page (both returned relative to the photo
  // folder where possible), 3 a folder (returned absolute, ending in "/"). `text`
  // unchanged on cancel.
  QString Sansyou(const QString& text, int kind);

  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void setDefaults();
  void titleFromFolderChanged();
  QString folderTitle() const;
  // Checks the boxes and copies them into the settings; false (with a message and the
  // focus on the box) when one cannot be kept.
  bool storeControls(bool withVideos);
  QString chooseSettingsFile(const QString& title, bool save);
  void setGet();
  void setPut();

  ProgramState& state_;
  UserDialogs& dialogs_;

  QCheckBox* Check1;
  QLineEdit* Text1;   // タイトル
  QLineEdit* Text5;   // アルバムＨＴＭＬ
  QLineEdit* Text2;   // サムネイルフォルダ
  QLineEdit* Text3;   // 画像フォルダ
  QLineEdit* Text4;   // フレーム横幅
  QLineEdit* Text6;   // 一覧ページ横幅
  QLineEdit* Text9;   // スライドショー時間
  QLineEdit* Text7;   // 背景色
  QLineEdit* Text8;   // 文字色
  QLineEdit* Text10;  // リンク色
  QLineEdit* Text11;  // 訪問済色
  QLineEdit* Text12;  // リンク中色
  QLineEdit* Text13;  // 背景画像
  QLineEdit* Text14;  // 戻り先
  QLineEdit* Text15;  // カメラのアドレス
  QComboBox* Combo1;  // 動画を対象とする
};

}  // namespace fotela::app
