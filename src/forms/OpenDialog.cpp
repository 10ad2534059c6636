#include "forms/OpenDialog.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <sys/stat.h>

#include "forms/RawNamesModel.h"
#include "text/Cp932.h"

namespace zu {

namespace {

QString ExpandHome(const QString& name) {
  if (name == QLatin1String("~")) return QDir::homePath();
  if (name.startsWith(QLatin1String("~/"))) return QDir::homePath() + name.mid(1);
  return name;
}

bool Exists(const std::string& path) {
  struct stat info{};
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

OpenDialog::OpenDialog(QWidget* parent, const QString& title) : QFileDialog(parent, title) {
  // Qt's own dialog, whatever the desktop offers: its accept() is the one
  // that decides what the Open command receives.
  setOption(QFileDialog::DontUseNativeDialog);
  setFileMode(QFileDialog::ExistingFiles);
  setAcceptMode(QFileDialog::AcceptOpen);
  ShowRawNamesToo();
}

// Qt's list passes over names that are no UTF-8; the proxy lists them after
// Qt's rows of each folder shown. Choosing one puts its Japanese name in the
// name field, from which accept() finds its bytes; Qt itself would take such
// a row for a folder to enter, so a double click or Enter on one is
// answered here.
void OpenDialog::ShowRawNamesToo() {
  auto* raw = new RawNamesModel(this);
  setProxyModel(raw);
  if (auto* files = qobject_cast<QFileSystemModel*>(raw->sourceModel())) {
    connect(files, &QFileSystemModel::rootPathChanged, raw, &RawNamesModel::ShowFolder);
  }
  raw->ShowFolder(directory().absolutePath());
  connect(this, &QFileDialog::currentChanged, this, [this](const QString& path) {
    if (!path.isEmpty() && !QFileInfo::exists(path)) ChooseRawName(path);
  });
  for (QAbstractItemView* view : findChildren<QAbstractItemView*>()) {
    view->viewport()->installEventFilter(this);
    view->installEventFilter(this);
  }
  // Qt finds no such file and disables the Open button whenever the field
  // or the selection changes; the button is watched and enabled again for
  // names that are files.
  auto* buttons = findChild<QDialogButtonBox*>();
  const QList<QLineEdit*> fields = findChildren<QLineEdit*>();
  openButton_ = buttons != nullptr ? buttons->button(QDialogButtonBox::Open) : nullptr;
  if (openButton_ == nullptr || fields.size() != 1) return;
  openButton_->installEventFilter(this);
  connect(fields.first(), &QLineEdit::textChanged, this, [this] { EnableOpenLater(); });
}

// After Qt's own update of the button, which comes later in the same event.
void OpenDialog::EnableOpenLater() {
  QTimer::singleShot(0, this, [this] {
    if (FieldNamesFiles()) openButton_->setEnabled(true);
  });
}

// Whether every name in the name field is a file, under its UTF-8 name or
// its Shift-JIS one.
bool OpenDialog::FieldNamesFiles() const {
  const QStringList names = NamesInField(NameFieldText());
  return !names.isEmpty() && std::all_of(names.begin(), names.end(), [this](const QString& name) {
    const QString path = directory().absoluteFilePath(name);
    return QFileInfo::exists(path) || LocalPathOf(path) != QFile::encodeName(path).toStdString();
  });
}

void OpenDialog::ChooseRawName(const QString& path) {
  const QList<QLineEdit*> fields = findChildren<QLineEdit*>();
  if (fields.size() == 1) fields.first()->setText(QFileInfo(path).fileName());
}

bool OpenDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == openButton_ && event->type() == QEvent::EnabledChange && !openButton_->isEnabled()) {
    EnableOpenLater();
    return false;
  }
  const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
  const bool enter = event->type() == QEvent::KeyPress &&
                     (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
  if (!doubleClick && !enter) return QFileDialog::eventFilter(watched, event);
  auto* view = qobject_cast<QAbstractItemView*>(watched);
  if (view == nullptr && watched->parent() != nullptr) view = qobject_cast<QAbstractItemView*>(watched->parent());
  auto* raw = static_cast<RawNamesModel*>(proxyModel());
  if (view == nullptr || raw == nullptr) return QFileDialog::eventFilter(watched, event);
  const QModelIndex at = doubleClick ? view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint())
                                     : view->currentIndex();
  if (!raw->IsRawName(at)) return QFileDialog::eventFilter(watched, event);
  ChooseRawName(at.data(QFileSystemModel::FilePathRole).toString());
  accept();
  return true;
}

// Qt checks every name here and refuses the lot, in its own box, when one is
// missing, and enters a directory found among several names. The command
// does its own checking, so every name goes to it; only a lone directory is
// left to Qt, which enters it.
void OpenDialog::accept() {
  const QStringList names = NamesInField(NameFieldText());
  const QDir here = directory();
  QStringList paths;
  for (const QString& name : names) paths << QDir::cleanPath(here.absoluteFilePath(ExpandHome(name)));
  if (paths.isEmpty() || (paths.size() == 1 && QFileInfo(paths.first()).isDir())) {
    QFileDialog::accept();
    return;
  }
  chosen_ = paths;
  QDialog::accept();
}

// Qt's selectedFiles() answers from the list's selection whenever there is
// one, and its completion selects each typed name that exists, so a missing
// name typed beside an existing one would be lost. The field itself holds
// what the user typed, or the names chosen in the list; Qt's public
// interface has no reader for it, so it is read from the one line edit of
// the dialog. Without exactly one, Qt's own answer is taken.
QString OpenDialog::NameFieldText() const {
  const QList<QLineEdit*> fields = findChildren<QLineEdit*>();
  if (fields.size() == 1) return fields.first()->text();
  QStringList quoted;
  for (const QString& path : selectedFiles()) quoted << QLatin1Char('"') + path + QLatin1Char('"');
  return quoted.join(QLatin1Char(' '));
}

QStringList NamesInField(const QString& text) {
  if (!text.contains(QLatin1Char('"'))) return text.isEmpty() ? QStringList() : QStringList{text};
  const QStringList parts = text.split(QLatin1Char('"'));
  QStringList names;
  for (qsizetype i = 1; i < parts.size(); i += 2) {  // the even parts lie between the quotes
    if (!parts[i].isEmpty()) names << parts[i];
  }
  return names;
}

std::string LocalPathOf(const QString& path) {
  const std::string utf8 = QFile::encodeName(path).toStdString();
  if (Exists(utf8)) return utf8;
  const QFileInfo info(path);
  std::string name;
  if (!ToCp932(info.fileName(), name)) return utf8;
  const std::string cp932 = QFile::encodeName(info.path()).toStdString() + '/' + name;
  return Exists(cp932) ? cp932 : utf8;
}

}  // namespace zu
