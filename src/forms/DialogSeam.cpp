#include "forms/DialogSeam.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace zu {

namespace {

// Texts in these boxes often carry a log file's or a path's own characters,
// so they are never read as markup.
void ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
             const QString& text) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

DialogSeam* installed = nullptr;

}  // namespace

void DialogSeam::Warning(QWidget* owner, const QString& text) {
  ShowBox(owner, QMessageBox::Warning, QStringLiteral("ﾛｰｶﾙｴﾗｰ"), text);
}

void DialogSeam::Stop(QWidget* owner, const QString& text) {
  ShowBox(owner, QMessageBox::Critical, QStringLiteral("ZU_Kirdo for Windows95"), text);
}

QStringList DialogSeam::ChooseFiles(QWidget* owner, const QString& title) {
  return QFileDialog::getOpenFileNames(owner, title);
}

bool DialogSeam::ChoosePrinter(QWidget* owner, QPrinter& printer) {
  QPrintDialog dialog(&printer, owner);
  // One whole message is printed at a time, so ranges and selections mean
  // nothing; printing to a file is how a machine without a printer keeps one.
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                    QAbstractPrintDialog::PrintCollateCopies);
  return dialog.exec() == QDialog::Accepted;
}

int DialogSeam::ShowModal(QDialog& dialog) { return dialog.exec(); }

DialogSeam& Dialogs() {
  static DialogSeam real;
  return installed != nullptr ? *installed : real;
}

void SetDialogs(DialogSeam* seam) { installed = seam; }

}  // namespace zu
