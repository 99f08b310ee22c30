#pragma once
// The parameter dialog that the six effect commands of the editor share: one or two
// prompts with their boxes, a colour and a file chooser, the all-photos box, and the size
// of the shown photo.
//
// OK and ｷｬﾝｾﾙ only hide the dialog, so the box and any text a command does not set stay
// for the next command. The close box discards it: the editor then makes a fresh one.

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

#include "editor/effect_command.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fotela::app {

class ParameterDialog : public QDialog {
  Q_OBJECT
 public:
  // Choosers the tests replace: the colour one gets the start colour and gives the chosen
  // one (nullopt on cancel); the file one gets the box's text (nullopt on cancel).
  using ColourChooser = std::function<std::optional<QColor>(const QColor& start)>;
  using FileChooser = std::function<std::optional<QString>(const QString& start)>;

  explicit ParameterDialog(QWidget* parent = nullptr);

  // Shows a command's caption, prompts, texts and rows.
  void configure(const EffectDialogSetup& setup);
  // Modal; what the user did. The composite's wide first box is narrowed again afterwards.
  EffectDialogAnswer ask();
  // True after the close box: the dialog must not be used again.
  bool discarded() const { return discarded_; }
  // The batch is over: the box is unticked.
  void untickAllPhotos();

  void setColourChooser(ColourChooser chooser) { colourChooser_ = std::move(chooser); }
  void setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }

  // getColor: the chosen colour as RRGGBB, or `text` unchanged on cancel.
  QString getColor(const QString& text);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void chooseColour();
  void chooseCompositeFile();
  void confirm();
  void cancel();
  void setFirstBoxWide(bool wide);

  QLabel* firstPrompt_;
  QLineEdit* firstBox_;
  QPushButton* fileButton_;
  QLabel* secondPrompt_;
  QLineEdit* secondBox_;
  QPushButton* colourButton_;
  QCheckBox* allPhotosBox_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;
  QLabel* sizeLabel_;

  bool ok_ = false;
  bool discarded_ = false;
  ColourChooser colourChooser_;
  FileChooser fileChooser_;
};

}  // namespace fotela::app
