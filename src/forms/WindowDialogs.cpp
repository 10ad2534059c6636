#include "forms/WindowDialogs.h"

#include <QDialog>
#include <QEvent>
#include <QFile>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include "core/Messages.h"
#include "forms/Looks.h"
#include "forms/OpenDialog.h"
#include "text/Cp932.h"

namespace zu {

namespace {

// Texts in these boxes often carry a log file's or a path's own characters,
// so they are never read as markup.
void ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
             const QString& text) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  SetBoxChrome(box);
  box.exec();
}

// Qt's own print dialog shows a page range whenever CUPS could select pages
// itself, whatever the options say, and hands a range chosen there to CUPS
// through a print-engine option of its own. A message is always printed
// whole, so the range is taken away once the dialog is on screen. Qt offers
// no public way to hide that group or to clear that option, so the group is
// found by the name Qt's form gives it.
class PrintWholeMessage : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* range = watched->findChild<QWidget*>(QStringLiteral("gbPrintRange"))) range->hide();
    }
    return false;
  }
};

WindowDialogs* installed = nullptr;

// A path's bytes as text: each part that is a UTF-8 name as Qt reads names,
// any other part (a Shift-JIS name of a copied log) as CP932.
QString PathText(const std::string& path) {
  QStringList parts;
  for (const QByteArray& part : QByteArray::fromStdString(path).split('/')) {
    const QString name = QFile::decodeName(part);
    parts << (QFile::encodeName(name) == part ? name : FromCp932(part.toStdString()));
  }
  return parts.join(QLatin1Char('/'));
}

}  // namespace

QString TextOf(Message m, const std::string& path) {
  QString text = QString::fromUtf8(MessageText(m));
  if (!path.empty()) text.prepend(PathText(path));
  return text;
}

void WindowDialogs::Warning(QWidget* owner, const QString& text) {
  ShowBox(owner, QMessageBox::Warning, QString::fromUtf8(WarningCaption), text);
}

void WindowDialogs::Stop(QWidget* owner, const QString& text) {
  ShowBox(owner, QMessageBox::Critical, QString::fromUtf8(ApplicationTitle), text);
}

QStringList WindowDialogs::ChooseFiles(QWidget* owner, const QString& title) {
  OpenDialog dialog(owner, title);
  SetBoxChrome(dialog, QSize(560, 400));  // room for the names and sizes of the files
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.ChosenPaths();
}

bool WindowDialogs::ChoosePrinter(QWidget* owner, QPrinter& printer) {
  QPrintDialog dialog(&printer, owner);
  // One whole message is printed at a time, so ranges and selections mean
  // nothing; printing to a file is how a machine without a printer keeps one.
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                    QAbstractPrintDialog::PrintCollateCopies);
  PrintWholeMessage wholeMessage;
  dialog.installEventFilter(&wholeMessage);
  SetBoxChrome(dialog);
  return dialog.exec() == QDialog::Accepted;
}

int WindowDialogs::ShowModal(QDialog& dialog) { return dialog.exec(); }

WindowDialogs& Dialogs() {
  static WindowDialogs real;
  return installed != nullptr ? *installed : real;
}

void SetDialogs(WindowDialogs* dialogs) { installed = dialogs; }

}  // namespace zu
