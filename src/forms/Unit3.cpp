#include "forms/Unit3.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "forms/Looks.h"
#include "ui_Unit3.h"

namespace zu {

TFrm_Info* Frm_Info = nullptr;

TFrm_Info::TFrm_Info(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TFrm_Info>()) {
  ui_->setupUi(this);
  SetDialogChrome(*this, QSize(186, 116));
  // The labels keep their left-top corner and take the width of their text
  // in whatever face the system has.
  for (QLabel* label : {ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label4}) label->adjustSize();
  connect(ui_->Btn_OK, &QPushButton::clicked, this, &TFrm_Info::Btn_OKClick);
}

TFrm_Info::~TFrm_Info() = default;

void TFrm_Info::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // the window system restoring it, not a new showing
  if (placed_) {
    move(lastPosition_);
  } else {
    CentreOnScreen(*this);
    placed_ = true;
  }
  ui_->Btn_OK->setFocus();
}

void TFrm_Info::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) lastPosition_ = pos();
  QDialog::hideEvent(event);
}

void TFrm_Info::keyPressEvent(QKeyEvent* event) {
  if (!TakeDialogKey(*this, *event)) QDialog::keyPressEvent(event);
}

void TFrm_Info::Btn_OKClick() { reject(); }

}  // namespace zu
