// The open dialog's listing with the files that Qt cannot list: Qt reads
// file names as UTF-8 and passes over a name that is none, such as the
// Shift-JIS name of a log copied from Windows. This proxy over the dialog's
// file system model shows the folder's rows as Qt lists them, then one row
// for each such file, its name read as CP932, so that it can be chosen; its
// path is the Japanese one, which LocalPathOf turns back into its bytes.
#pragma once

#include <QDateTime>
#include <QIdentityProxyModel>
#include <QString>
#include <vector>

namespace zu {

class RawNamesModel : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  // Lists the files of `folder` that Qt passes over, under the folder's row.
  void ShowFolder(const QString& folder);
  // Whether `index` is one of those files' rows.
  bool IsRawName(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QModelIndex mapToSource(const QModelIndex& proxy) const override;
  QModelIndex sibling(int row, int column, const QModelIndex& index) const override;

 private:
  struct RawFile {
    QString name;  // read as CP932
    qint64 size;
    QDateTime modified;
  };
  static std::vector<RawFile> RawFilesOf(const QString& folder);
  QModelIndex FolderRow() const;  // the listed folder in this model
  int SourceRows() const;

  QString folder_;
  std::vector<RawFile> raw_;
};

}  // namespace zu
