#include "forms/RawNamesModel.h"

#include <QFile>
#include <QFileInfo>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QLocale>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

#include "text/Cp932.h"

namespace zu {

namespace {

// Rows of raw names carry this marker instead of a source node.
char rawMarker;
void* const kRaw = &rawMarker;

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

}  // namespace

std::vector<RawNamesModel::RawFile> RawNamesModel::RawFilesOf(const QString& folder) {
  std::vector<RawFile> files;
  const QByteArray bytes = QFile::encodeName(folder);
  std::unique_ptr<DIR, DirCloser> dir(opendir(bytes.constData()));
  if (!dir) return files;
  while (const dirent* entry = readdir(dir.get())) {
    const QByteArray name(entry->d_name);
    if (QFile::encodeName(QFile::decodeName(name)) == name) continue;  // Qt lists it
    struct stat info {};
    if (stat((bytes + '/' + name).constData(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    files.push_back({FromCp932(name.toStdString()), static_cast<qint64>(info.st_size),
                     QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec)});
  }
  return files;
}

void RawNamesModel::ShowFolder(const QString& folder) {
  const QModelIndex row = FolderRow();
  if (!raw_.empty()) {
    beginRemoveRows(row, SourceRows(), SourceRows() + static_cast<int>(raw_.size()) - 1);
    raw_.clear();
    endRemoveRows();
  }
  folder_ = folder;
  std::vector<RawFile> found = RawFilesOf(folder);
  if (found.empty()) return;
  const QModelIndex now = FolderRow();
  beginInsertRows(now, SourceRows(), SourceRows() + static_cast<int>(found.size()) - 1);
  raw_ = std::move(found);
  endInsertRows();
}

QModelIndex RawNamesModel::FolderRow() const {
  const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
  return files ? mapFromSource(files->index(folder_)) : QModelIndex();
}

int RawNamesModel::SourceRows() const { return sourceModel()->rowCount(mapToSource(FolderRow())); }

bool RawNamesModel::IsRawName(const QModelIndex& index) const {
  return index.isValid() && index.internalPointer() == kRaw;
}

QModelIndex RawNamesModel::index(int row, int column, const QModelIndex& parent) const {
  const int sourceRows = sourceModel() ? sourceModel()->rowCount(mapToSource(parent)) : 0;
  if (row >= sourceRows && parent == FolderRow() && parent.isValid() && row - sourceRows < static_cast<int>(raw_.size()) &&
      column >= 0 && column < columnCount(parent)) {
    return createIndex(row, column, kRaw);
  }
  return QIdentityProxyModel::index(row, column, parent);
}

QModelIndex RawNamesModel::parent(const QModelIndex& child) const {
  if (IsRawName(child)) return FolderRow();
  return QIdentityProxyModel::parent(child);
}

int RawNamesModel::rowCount(const QModelIndex& parent) const {
  if (IsRawName(parent)) return 0;
  const int rows = QIdentityProxyModel::rowCount(parent);
  return parent.isValid() && parent == FolderRow() ? rows + static_cast<int>(raw_.size()) : rows;
}

bool RawNamesModel::hasChildren(const QModelIndex& parent) const {
  return !IsRawName(parent) && QIdentityProxyModel::hasChildren(parent);
}

QModelIndex RawNamesModel::mapToSource(const QModelIndex& proxy) const {
  return IsRawName(proxy) ? QModelIndex() : QIdentityProxyModel::mapToSource(proxy);
}

QModelIndex RawNamesModel::sibling(int row, int column, const QModelIndex& idx) const {
  return idx.isValid() ? index(row, column, parent(idx)) : QModelIndex();
}

Qt::ItemFlags RawNamesModel::flags(const QModelIndex& index) const {
  if (IsRawName(index)) return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  return QIdentityProxyModel::flags(index);
}

namespace {

constexpr int kSizeColumn = 1;
constexpr int kTypeColumn = 2;
constexpr int kDateColumn = 3;

QLocale Japanese() { return QLocale(QLocale::Japanese, QLocale::Japan); }

// Qt 6.4's Japanese catalogue has no words for the type column, which would
// say "Folder" and "log File" in any locale.
QString TypeText(bool folder, const QString& suffix) {
  if (folder) return QStringLiteral("フォルダー");
  return suffix.isEmpty() ? QStringLiteral("ファイル") : suffix + QStringLiteral(" ファイル");
}

QString DateText(const QDateTime& modified) { return Japanese().toString(modified, QLocale::ShortFormat); }

}  // namespace

// The file system model writes its types in English and its sizes and dates
// in the system's locale: they are shown in Japanese here, whatever the locale.
QVariant RawNamesModel::data(const QModelIndex& index, int role) const {
  if (!IsRawName(index)) {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    const int column = index.column();
    const bool ours = column == kSizeColumn || column == kTypeColumn || column == kDateColumn;
    if (files == nullptr || role != Qt::DisplayRole || !ours) return QIdentityProxyModel::data(index, role);
    const QFileInfo info = files->fileInfo(mapToSource(index));
    if (column == kSizeColumn) return info.isDir() ? QString() : Japanese().formattedDataSize(info.size());
    return column == kTypeColumn ? TypeText(info.isDir(), info.suffix()) : DateText(info.lastModified());
  }
  const RawFile& file = raw_[static_cast<size_t>(index.row() - SourceRows())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      if (index.column() == 0) return file.name;
      if (index.column() == kSizeColumn) return Japanese().formattedDataSize(file.size);
      if (index.column() == kTypeColumn) return TypeText(false, QFileInfo(file.name).suffix());
      if (index.column() == kDateColumn) return DateText(file.modified);
      return {};
    case Qt::DecorationRole:
      return index.column() == 0 ? QVariant(QFileIconProvider().icon(QFileIconProvider::File)) : QVariant();
    case QFileSystemModel::FilePathRole:
      return folder_ + QLatin1Char('/') + file.name;
    case QFileSystemModel::FileNameRole:
      return file.name;
    default:
      return {};
  }
}

}  // namespace zu
