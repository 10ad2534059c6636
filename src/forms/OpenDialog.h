// The file-open dialog of the Open command: Qt's own (non-native) file
// dialog, several files at a time, that hands back every name the user
// chose or typed, in the order of its name field, whether the file exists or
// not: the Open command opens each and warns about each that fails, so the
// dialog itself refuses nothing. A single directory typed or chosen is
// entered, as in any file dialog. Its listing also shows the files whose
// names Qt cannot read (RawNamesModel), in Japanese, to be chosen as any.
#pragma once

#include <QFileDialog>
#include <QPushButton>
#include <QStringList>
#include <string>

namespace zu {

class OpenDialog : public QFileDialog {
 public:
  OpenDialog(QWidget* parent, const QString& title);

  // The absolute paths chosen, valid once the dialog was accepted.
  QStringList ChosenPaths() const { return chosen_; }

  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString NameFieldText() const;
  void ShowRawNamesToo();
  void ChooseRawName(const QString& path);
  bool FieldNamesFiles() const;
  void EnableOpenLater();

  QStringList chosen_;
  QPushButton* openButton_ = nullptr;
};

// The names in a file dialog's name field: each name in double quotes when
// there are several, else the whole text as one name.
QStringList NamesInField(const QString& text);

// The file system's bytes for `path`, a path the user chose or typed. File
// names are UTF-8 to Qt; a log copied with its Shift-JIS name has no such
// name, so when the UTF-8 name does not exist and the name's CP932 bytes
// do, those are taken. Otherwise the UTF-8 bytes, existing or not.
std::string LocalPathOf(const QString& path);

}  // namespace zu
