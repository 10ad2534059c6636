#include "forms/Unit2.h"

#include <QKeyEvent>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <string>

#include "core/Messages.h"
#include "core/Search.h"
#include "forms/Looks.h"
#include "forms/WindowDialogs.h"
#include "text/Cp932.h"
#include "ui_Unit2.h"

namespace zu {

TFrm_Search* Frm_Search = nullptr;

TFrm_Search::TFrm_Search(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TFrm_Search>()) {
  ui_->setupUi(this);
  SetDialogChrome(*this, QSize(311, 151));
  // The group titles sit on the frame line, as in the system's own dialogs,
  // so that the boxes' contents fit the form's positions. Set after the
  // font: a style sheet set first would keep the children on the default face.
  setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
      "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0px 1px; }"));
  connect(ui_->Btn_Search, &QPushButton::clicked, this, &TFrm_Search::Btn_SearchClick);
  connect(ui_->Btn_Cansel, &QPushButton::clicked, this, &TFrm_Search::Btn_CanselClick);
}

TFrm_Search::~TFrm_Search() = default;

void TFrm_Search::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // the window system restoring it, not a new showing
  FormShow();
  CentreOnScreen(*this);
}

void TFrm_Search::keyPressEvent(QKeyEvent* event) {
  if (!TakeDialogKey(*this, *event)) QDialog::keyPressEvent(event);
}

void TFrm_Search::FormShow() {
  ui_->Ed_String->setText(FromCp932(SearchText));
  if (SearchDirection == 1) ui_->RB_Down->setChecked(true);
  if (SearchDirection == 2) ui_->RB_Up->setChecked(true);
  ui_->CB_Number->setChecked((SearchFields & FieldNumber) != 0);
  ui_->CB_Name->setChecked((SearchFields & FieldName) != 0);
  ui_->CB_ID->setChecked((SearchFields & FieldID) != 0);
  ui_->CB_Title->setChecked((SearchFields & FieldTitle) != 0);
  ui_->CB_Text->setChecked((SearchFields & FieldBody) != 0);
  SearchAccepted = 0;
  ui_->Ed_String->setFocus();
}

void TFrm_Search::Btn_SearchClick() {
  const QString typed = ui_->Ed_String->text();
  if (typed.isEmpty()) {
    Dialogs().Warning(this, TextOf(Message::ConditionsNoText));
    return;
  }
  // The search compares the text as the logs' own bytes, in a buffer of
  // MaxSearchTextBytes; a text that cannot become such bytes is refused here.
  std::string bytes;
  if (!ToCp932(typed, bytes)) {
    Dialogs().Warning(this, TextOf(Message::ConditionsNotCp932));
    return;
  }
  if (bytes.size() > static_cast<size_t>(MaxSearchTextBytes)) {
    Dialogs().Warning(this, TextOf(Message::ConditionsTooLong));
    return;
  }
  const int32_t fields = CheckedFields();
  if (fields == 0) {
    Dialogs().Warning(this, TextOf(Message::ConditionsNoFields));
    return;
  }
  SearchText = bytes;
  SearchFields = fields;
  SearchDirection = ui_->RB_Up->isChecked() ? 2 : 1;  // down unless up is chosen
  SearchAccepted = 1;
  accept();
}

void TFrm_Search::Btn_CanselClick() {
  SearchAccepted = 0;
  reject();
}

int32_t TFrm_Search::CheckedFields() const {
  const std::array<std::pair<const QCheckBox*, int32_t>, 5> boxes = {{
      {ui_->CB_Number, FieldNumber},
      {ui_->CB_Name, FieldName},
      {ui_->CB_ID, FieldID},
      {ui_->CB_Title, FieldTitle},
      {ui_->CB_Text, FieldBody},
  }};
  int32_t fields = 0;
  for (const auto& [box, bit] : boxes) {
    if (box->isChecked()) fields |= bit;
  }
  return fields;
}

}  // namespace zu
