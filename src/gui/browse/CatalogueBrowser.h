#pragma once
// The catalogue view, the window's "Catalogue" tab: words looked up in the photos' keywords, titles,
// captions, bylines, places and custom fields, narrowed to a folder, a range of dates, keywords, the
// camera, the digital source, the days taken and a place; the matches in a sortable table with their
// thumbnails and the keywords they hold; the view exported as CSV; an audit that shows only the
// photos lacking a field the desk requires; searches kept by name. It reads on a
// connection of its own, so a scan or a check never pulls its rows away.

#include <QMenu>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "catalogue/CatalogueConnection.h"
#include "workflows/browse/SearchFilter.h"
#include "workflows/folders/FolderEntry.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QModelIndex;
class QPoint;
class QPushButton;
class QTableView;
class QTextBrowser;

namespace tessarine {

class CatalogueModel;
class WindowContext;

class CatalogueBrowser : public QWidget {
  Q_OBJECT
 public:
  // The listed folders: the folder filter's tree grows from them.
  using FolderSource = std::function<std::vector<FolderEntry>()>;
  // Where "Export CSV" writes; nothing when the user cancels. Tests replace the file dialog.
  using ExportFileChooser = std::function<std::optional<std::filesystem::path>()>;

  CatalogueBrowser(WindowContext& context, QWidget* parent = nullptr);
  ~CatalogueBrowser() override;

  void SetFolderSource(FolderSource source) { m_folderSource = std::move(source); }
  void SetExportFileChooser(ExportFileChooser chooser) { m_chooseExportFile = std::move(chooser); }
  // Shows a row's menu at a place on the screen; tests replace it to pick an entry.
  using MenuShower = std::function<void(QMenu&, const QPoint&)>;
  void SetMenuShower(MenuShower shower) { m_showMenu = std::move(shower); }
  CatalogueModel& Model() { return *m_model; }

  // Runs the search the controls describe.
  void cmdSearch_Click();
  // Keeps the search the controls describe under the name typed in the saved searches' box.
  void cmdSaveSearch_Click();
  // Writes every match of the current search, in its order, to a CSV file.
  void cmdExportCsv_Click();
  // Drops the rows and closes the connection (a scan is about to change the table).
  void Clear();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FillFolderFilter();
  // The search the controls describe; nothing, after saying why on the status line, when a box holds
  // what a search cannot take.
  std::optional<SearchFilter> FilterFromBoxes();
  // Sets the controls to a search (without running it).
  void ShowFilter(const SearchFilter& filter);
  void FillSavedSearches();
  // Makes the search a view of the catalogue; false once the failure was shown.
  bool MakeSearchView(const SearchFilter& filter, const TableName& view);
  // Sets the controls to the saved search of that name and runs it.
  void RunSavedSearch(const QString& name);
  void ShowCount(long long matches);
  // The fields the audit box names, kept in the settings when they changed; false, after saying
  // why, when it names none or one that is no field.
  bool TakeAuditFields(SearchFilter& filter);
  // The keywords of the matches with their counts; one clicked narrows the search to it.
  void ShowKeywordCounts();
  void NarrowToKeyword(QListWidgetItem* item);
  void SizeColumns();
  // Opens the row's photo with the desktop's opener.
  void OpenPhoto(const QModelIndex& index);
  // Open, show in folder, copy the path, copy the row as text.
  void ShowRowMenu(const QPoint& at);
  QString RowText(int row) const;
  // The detail panel: the row's thumbnail and every non-empty field of its photo.
  void ShowPhotoDetail(int row);

  WindowContext& m_context;
  CatalogueConnection m_connection;
  CatalogueModel* m_model = nullptr;
  FolderSource m_folderSource;
  ExportFileChooser m_chooseExportFile;
  bool m_folderTreeRead = false;  // the folder filter holds the folders the table has rows in
  MenuShower m_showMenu = [](QMenu& menu, const QPoint& at) { menu.exec(at); };

  QLineEdit* txtSearchWords = nullptr;
  QComboBox* cboSearchFolder = nullptr;
  QLineEdit* txtSearchFrom = nullptr;
  QLineEdit* txtSearchTo = nullptr;
  QLineEdit* txtSearchKeywords = nullptr;
  QLineEdit* txtSearchCamera = nullptr;
  QLineEdit* txtSearchSource = nullptr;
  QLineEdit* txtSearchTakenFrom = nullptr;
  QLineEdit* txtSearchTakenTo = nullptr;
  QLineEdit* txtSearchNear = nullptr;
  QPushButton* cmdSearch = nullptr;
  QListWidget* lstKeywordCounts = nullptr;
  QTableView* tblCatalogue = nullptr;
  QLabel* lblSearchCount = nullptr;
  QPushButton* cmdExportCsv = nullptr;
  // The audit: only the photos that lack one of the fields named (kept as [Audit] Require).
  QCheckBox* chkAudit = nullptr;
  // Only the files whose content another file shares; their details name the others.
  QCheckBox* chkCopies = nullptr;
  // Searches kept by name in the settings: choosing one runs it; a name typed and "Save search"
  // keeps the current one.
  QComboBox* cboSavedSearches = nullptr;
  QPushButton* cmdSaveSearch = nullptr;
  // A name here, and "Save search" also makes the search a view of the catalogue of that name.
  QLineEdit* txtSearchView = nullptr;
  QLineEdit* txtAuditRequire = nullptr;
  QLabel* imgPhotoDetail = nullptr;
  QTextBrowser* txtPhotoDetail = nullptr;
};

}  // namespace tessarine
