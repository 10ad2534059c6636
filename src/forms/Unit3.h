// The About box: the program's name, version and date. It has one button,
// OK, which always holds the focus; the box opens centred on the screen the
// first time and afterwards where the user last left it.
#pragma once

#include <QDialog>
#include <QPoint>
#include <memory>

namespace Ui {
class TFrm_Info;
}

namespace zu {

class TFrm_Info : public QDialog {
  Q_OBJECT

 public:
  explicit TFrm_Info(QWidget* parent = nullptr);
  ~TFrm_Info() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  // Enter presses the focused OK button; Escape does nothing, since the box
  // has no cancel button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Btn_OKClick();

  std::unique_ptr<Ui::TFrm_Info> ui_;
  bool placed_ = false;  // shown before: keep the position it was left at
  QPoint lastPosition_;
};

// The one About box, created at start-up.
extern TFrm_Info* Frm_Info;

}  // namespace zu
