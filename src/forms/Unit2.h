// The search conditions dialog. Every time it opens it shows the program-wide
// search conditions (zu::SearchText and the rest); pressing 検索 stores what
// the user set there and marks the dialog accepted, anything else leaves the
// conditions as they were.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

namespace Ui {
class TFrm_Search;
}
class QButtonGroup;

namespace zu {

class TFrm_Search : public QDialog {
  Q_OBJECT

 public:
  explicit TFrm_Search(QWidget* parent = nullptr);
  ~TFrm_Search() override;

 protected:
  void showEvent(QShowEvent* event) override;
  // Enter presses a push button only while it has the focus; Escape does
  // nothing, since the dialog has no cancel button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormShow();
  void Btn_SearchClick();
  void Btn_CanselClick();
  int32_t CheckedFields() const;

  std::unique_ptr<Ui::TFrm_Search> ui_;
};

// The one search conditions dialog, created at start-up.
extern TFrm_Search* Frm_Search;

}  // namespace zu
