#include "gui/browse/CatalogueModel.h"

#include <QImageReader>

#include <algorithm>

#include "core/FolderKey.h"
#include "core/ImageColumns.h"
#include "workflows/browse/ViewColumns.h"
#include "workflows/scan/Thumbnails.h"

namespace tessarine {
namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

CatalogueModel::CatalogueModel(UserPort& port, QObject* parent) : QAbstractTableModel(parent), m_port(port) {}

bool CatalogueModel::Search(CatalogueConnection& connection, const Settings& settings, const SearchFilter& filter) {
  m_connection = &connection;
  m_settings = settings;
  m_filter = filter;
  return Restart(m_sort);
}

void CatalogueModel::Clear() {
  beginResetModel();
  m_search.reset();
  m_rows.clear();
  m_count = 0;
  m_allRead = true;
  m_thumbnails.clear();
  endResetModel();
}

bool CatalogueModel::Restart(ViewSort sort) {
  Clear();
  if (m_connection == nullptr) return false;
  Expected<CatalogueSearch> search = CatalogueSearch::Start(*m_connection, m_port, m_settings, m_filter, sort,
                                                            &m_accentHintSaid);
  if (!search) return false;
  Expected<long long> count = search.Value().Count();
  if (!count) return false;
  Expected<std::vector<ViewRow>> first = search.Value().PageAfter(nullptr, kPageSize);
  if (!first) return false;

  beginResetModel();
  m_sort = sort;
  m_search.emplace(std::move(search.Value()));
  m_columns = m_search->Columns();
  for (std::size_t i = 0; i < m_columns.size(); ++i) {
    if (m_columns[i].column == col::Folder) m_folderColumn = i;
    if (m_columns[i].column == col::FileName) m_fileColumn = i;
  }
  m_count = count.Value();
  m_rows = std::move(first.Value());
  m_allRead = static_cast<int>(m_rows.size()) < kPageSize;
  endResetModel();
  emit searched(m_count);
  return true;
}

void CatalogueModel::SetDevicePixelRatio(qreal ratio) {
  if (ratio == m_pixelRatio) return;
  m_pixelRatio = ratio;
  // Thumbnails read for another screen are read again for this one.
  m_thumbnails.clear();
  if (!m_rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DecorationRole});
}

std::vector<std::string> CatalogueModel::MissingOf(int row) const {
  if (!m_search || row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return {};
  return m_search->MissingIn(m_rows[static_cast<std::size_t>(row)]);
}

int CatalogueModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CatalogueModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

std::filesystem::path CatalogueModel::FilePath(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return {};
  const ViewRow& values = m_rows[static_cast<std::size_t>(row)];
  // A row an earlier version stored holds "/" where the name on disk has "\" (a name never holds "/").
  std::string name = values[m_fileColumn].value_or("");
  std::replace(name.begin(), name.end(), '/', '\\');
  return std::filesystem::path(FolderKey::FromStoredText(values[m_folderColumn].value_or("")).Bytes()) / name;
}

std::optional<std::pair<std::string, std::string>> CatalogueModel::RowKey(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) return std::nullopt;
  const ViewRow& values = m_rows[static_cast<std::size_t>(row)];
  return std::pair{values[m_folderColumn].value_or(""), values[m_fileColumn].value_or("")};
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const std::optional<std::string>& value = m_rows[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
  if (role == Qt::DisplayRole) {
    QString text = value ? Text(*value) : QString();
    // One line per cell: the full text is in the tooltip.
    text.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    // IIM's CCYYMMDD is shown as XMP writes a day, so the column reads one way.
    if (m_columns[static_cast<std::size_t>(index.column())].column == col::CreatedDate) {
      return Text(ShownDay(text.toStdString()));
    }
    if (static_cast<std::size_t>(index.column()) == m_folderColumn) {
      return Text(ShownFolder(m_listedFolders, value.value_or("")));
    }
    return text;
  }
  if (role == Qt::ToolTipRole && value && !value->empty()) return Text(*value);
  if (role == Qt::DecorationRole && static_cast<std::size_t>(index.column()) == m_fileColumn) {
    const QPixmap thumbnail = Thumbnail(index.row());
    if (!thumbnail.isNull()) return thumbnail;
  }
  return {};
}

QPixmap CatalogueModel::Thumbnail(int row) const {
  if (QPixmap* cached = m_thumbnails.object(row)) return *cached;
  const std::filesystem::path file = FilePath(row);
  QPixmap picture;
  // A JPEG's thumbnail keeps its name; any other file's takes ".jpg".
  for (const char* support : {"1", "0"}) {
    const std::filesystem::path thumbnail = ThumbnailPath(file.parent_path(), file.filename().string(), support);
    QImageReader reader(QString::fromStdString(thumbnail.string()));
    if (!reader.canRead()) continue;
    // A larger file (not one of ours) is brought down to the size ours have.
    const QSize size = reader.size();
    if (size.isValid() && std::max(size.width(), size.height()) > kThumbnailSide) {
      reader.setScaledSize(size.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio));
    }
    const QImage image = reader.read();
    if (image.isNull()) continue;
    picture = QPixmap::fromImage(image);
    picture.setDevicePixelRatio(m_pixelRatio);
    break;
  }
  m_thumbnails.insert(row, new QPixmap(picture));
  if (!picture.isNull()) emit thumbnailRead(row, static_cast<int>(picture.deviceIndependentSize().height()));
  return picture;
}

QVariant CatalogueModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= columnCount()) return {};
  return Text(m_columns[static_cast<std::size_t>(section)].title);
}

bool CatalogueModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && m_search && !m_allRead;
}

void CatalogueModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  Expected<std::vector<ViewRow>> next = m_search->PageAfter(m_rows.empty() ? nullptr : &m_rows.back(), kPageSize);
  if (!next) {
    // Reported by the search: what was read stays, nothing more is asked.
    m_allRead = true;
    return;
  }
  std::vector<ViewRow>& page = next.Value();
  m_allRead = static_cast<int>(page.size()) < kPageSize;
  if (page.empty()) return;
  const int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
  std::move(page.begin(), page.end(), std::back_inserter(m_rows));
  endInsertRows();
}

void CatalogueModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= columnCount() || !m_search) return;
  const ViewSort sort{static_cast<std::size_t>(column), order == Qt::DescendingOrder};
  if (sort.viewColumn == m_sort.viewColumn && sort.descending == m_sort.descending) return;
  Restart(sort);
}

}  // namespace tessarine
