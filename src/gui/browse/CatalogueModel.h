#pragma once
// The images table as a sortable Qt table: the rows of one search, read a page at a time as the
// view scrolls (so a catalogue of a million rows opens at once), the columns under the titles
// people read, and beside each file name its thumbnail from "_thumbs_" when there is one.

#include <QAbstractTableModel>
#include <QCache>
#include <QPixmap>
#include <optional>
#include <vector>

#include "core/Settings.h"
#include "metadata/ThumbnailImage.h"
#include "core/UserPort.h"
#include "workflows/browse/CatalogueSearch.h"

namespace tessarine {

class CatalogueModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kPageSize = 100;
  // Thumbnails are shown at the size the scan writes them, in the screen's own pixels.
  static constexpr int kThumbnailSide = kThumbnailMaxSize;

  explicit CatalogueModel(UserPort& port, QObject* parent = nullptr);

  // A new search on an open connection: the count, then the first page. False after an error,
  // which the search has reported; the view is then empty.
  bool Search(CatalogueConnection& connection, const Settings& settings, const SearchFilter& filter);
  // Drops the rows and the search (before its connection closes).
  void Clear();
  bool HasSearch() const { return m_search.has_value(); }
  long long MatchCount() const { return m_count; }
  CatalogueSearch* CurrentSearch() { return m_search ? &*m_search : nullptr; }
  // The file a row shows, as a path on the disk.
  std::filesystem::path FilePath(int row) const;
  // A row's Folder and FileName as the table stores them; nothing for a row it does not have.
  std::optional<std::pair<std::string, std::string>> RowKey(int row) const;
  std::size_t FileColumn() const { return m_fileColumn; }
  // The required fields a row's photo lacks, in an audit (SearchFilter::missing).
  std::vector<std::string> MissingOf(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  void sort(int column, Qt::SortOrder order) override;

  // The pixel ratio thumbnails are drawn for (the screen's): sharp on a HiDPI screen.
  void SetDevicePixelRatio(qreal ratio);
  // The listed folders (texts as stored), below which the Folder column shows its folders.
  void SetListedFolders(std::vector<std::string> folders) { m_listedFolders = std::move(folders); }

 signals:
  void searched(long long matches);
  // A row's thumbnail was read: the view gives the row its height (rows without one stay compact).
  void thumbnailRead(int row, int height) const;

 private:
  bool Restart(ViewSort sort);
  QPixmap Thumbnail(int row) const;

  UserPort& m_port;
  CatalogueConnection* m_connection = nullptr;
  Settings m_settings;
  SearchFilter m_filter;
  ViewSort m_sort;
  std::optional<CatalogueSearch> m_search;
  bool m_accentHintSaid = false;  // once per window
  std::vector<ViewColumn> m_columns;
  std::vector<ViewRow> m_rows;
  long long m_count = 0;
  bool m_allRead = true;
  std::size_t m_folderColumn = 0;
  std::size_t m_fileColumn = 1;
  qreal m_pixelRatio = 1.0;
  std::vector<std::string> m_listedFolders;
  mutable QCache<int, QPixmap> m_thumbnails{400};
};

}  // namespace tessarine
