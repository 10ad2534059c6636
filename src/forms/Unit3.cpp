#include "forms/Unit3.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "forms/Looks.h"
#include "ui_Unit3.h"

namespace zu {

TFrm_Info* Frm_Info = nullptr;

namespace {

// The room kept between a label and its frame's edge.
constexpr int kInsideFrame = 4;

// Keeps `label` at its place where its text fits there; else moves it left as
// far as `inside` needs, and makes its face smaller only when the text is
// wider than all of `inside`.
void FitInside(QLabel& label, const QRect& inside) {
  QFont font = label.font();
  while (label.fontMetrics().horizontalAdvance(label.text()) > inside.width() && font.pixelSize() > 6) {
    font.setPixelSize(font.pixelSize() - 1);
    label.setFont(font);
  }
  label.adjustSize();
  const int overhang = label.geometry().right() - inside.right();
  if (overhang > 0) label.move(std::max(inside.left(), label.x() - overhang), label.y());
}

}  // namespace

TFrm_Info::TFrm_Info(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TFrm_Info>()) {
  ui_->setupUi(this);
  SetDialogChrome(*this, QSize(186, 116));
  // The labels take the width of their text in whatever face the system
  // has, and stay inside their frame.
  const QRect inside = ui_->Bevel1->geometry().adjusted(kInsideFrame, 0, -kInsideFrame, 0);
  for (QLabel* label : {ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label4}) FitInside(*label, inside);
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
