#include "gui/browse/CatalogueBrowser.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextBrowser>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QTableView>

#include "core/DatabaseError.h"
#include "core/IniFile.h"
#include "core/WindowTitle.h"
#include "gui/WidgetNames.h"
#include "gui/WindowContext.h"
#include "gui/WindowUserPort.h"
#include "gui/browse/CatalogueModel.h"
#include "workflows/browse/ContentCopies.h"
#include "workflows/browse/CsvExport.h"
#include "workflows/browse/FolderTree.h"
#include "workflows/browse/PhotoDetails.h"
#include "workflows/browse/RequiredFields.h"
#include "workflows/browse/SavedSearches.h"
#include "workflows/connection/OpenCatalogue.h"

namespace tessarine {
namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A path as the desktop's opener takes it, its bytes decoded as the system names files.
QString PathText(const std::filesystem::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }

}  // namespace

CatalogueBrowser::CatalogueBrowser(WindowContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_model(new CatalogueModel(context.Port(), this)) {
  setObjectName(QStringLiteral("CatalogueBrowser"));
  auto* layout = new QGridLayout(this);
  txtSearchWords = Named(new QLineEdit(this), QStringLiteral("txtSearchWords"));
  txtSearchWords->setPlaceholderText(QStringLiteral("Words in keywords, title, caption, byline, city, country"));
  txtSearchWords->setClearButtonEnabled(true);
  cboSearchFolder = Named(new QComboBox(this), QStringLiteral("cboSearchFolder"));
  cboSearchFolder->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cboSearchFolder->setMinimumContentsLength(16);
  cboSearchFolder->addItem(QStringLiteral("All folders"));
  txtSearchFrom = Named(new QLineEdit(this), QStringLiteral("txtSearchFrom"));
  txtSearchFrom->setPlaceholderText(QStringLiteral("from YYYY-MM-DD"));
  txtSearchTo = Named(new QLineEdit(this), QStringLiteral("txtSearchTo"));
  txtSearchTo->setPlaceholderText(QStringLiteral("to YYYY-MM-DD"));
  for (QLineEdit* day : {txtSearchFrom, txtSearchTo}) day->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("from YYYY-MM-DD__")));
  // What the facts and keywords tables say of the photos.
  txtSearchKeywords = Named(new QLineEdit(this), QStringLiteral("txtSearchKeywords"));
  txtSearchKeywords->setPlaceholderText(QStringLiteral("Keywords, each one whole (Places|Norway); ; between"));
  txtSearchCamera = Named(new QLineEdit(this), QStringLiteral("txtSearchCamera"));
  txtSearchCamera->setPlaceholderText(QStringLiteral("Camera or lens"));
  txtSearchSource = Named(new QLineEdit(this), QStringLiteral("txtSearchSource"));
  txtSearchSource->setPlaceholderText(QStringLiteral("Digital source (trainedAlgorithmicMedia)"));
  txtSearchTakenFrom = Named(new QLineEdit(this), QStringLiteral("txtSearchTakenFrom"));
  txtSearchTakenFrom->setPlaceholderText(QStringLiteral("taken from"));
  txtSearchTakenTo = Named(new QLineEdit(this), QStringLiteral("txtSearchTakenTo"));
  txtSearchTakenTo->setPlaceholderText(QStringLiteral("taken to"));
  txtSearchNear = Named(new QLineEdit(this), QStringLiteral("txtSearchNear"));
  txtSearchNear->setPlaceholderText(QStringLiteral("near LAT,LON,KM"));
  for (QLineEdit* box : {txtSearchTakenFrom, txtSearchTakenTo, txtSearchNear}) {
    box->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("from YYYY-MM-DD__")));
  }
  cmdSearch = Named(new QPushButton(QStringLiteral("Search"), this), QStringLiteral("cmdSearch"));
  cmdSearch->setDefault(true);

  tblCatalogue = Named(new QTableView(this), QStringLiteral("tblCatalogue"));
  tblCatalogue->setModel(m_model);
  tblCatalogue->setSortingEnabled(true);
  tblCatalogue->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
  tblCatalogue->setSelectionBehavior(QAbstractItemView::SelectRows);
  tblCatalogue->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tblCatalogue->setWordWrap(false);
  tblCatalogue->setIconSize(QSize(CatalogueModel::kThumbnailSide, CatalogueModel::kThumbnailSide));
  // Compact rows; a row whose thumbnail is read takes its height.
  tblCatalogue->verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  tblCatalogue->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
  tblCatalogue->horizontalHeader()->setDefaultSectionSize(140);
  tblCatalogue->setContextMenuPolicy(Qt::CustomContextMenu);
  tblCatalogue->setTabKeyNavigation(false);

  lblSearchCount = Named(new QLabel(this), QStringLiteral("lblSearchCount"));
  cmdExportCsv = Named(new QPushButton(QStringLiteral("Export CSV"), this), QStringLiteral("cmdExportCsv"));
  cmdExportCsv->setEnabled(false);
  chkAudit = Named(new QCheckBox(QStringLiteral("Only photos lacking"), this), QStringLiteral("chkAudit"));
  chkAudit->setToolTip(QStringLiteral("An audit before publishing: only the photos that lack one of these fields"));
  txtAuditRequire = Named(new QLineEdit(this), QStringLiteral("txtAuditRequire"));
  txtAuditRequire->setPlaceholderText(QStringLiteral("Byline, Caption, CopyrightNotice, DateTaken, Keyword"));
  txtAuditRequire->setText(Text(context.CurrentSettings().auditRequire));
  cboSavedSearches = Named(new QComboBox(this), QStringLiteral("cboSavedSearches"));
  cboSavedSearches->setEditable(true);
  cboSavedSearches->setInsertPolicy(QComboBox::NoInsert);
  cboSavedSearches->setMinimumContentsLength(16);
  cboSavedSearches->lineEdit()->setPlaceholderText(QStringLiteral("Saved searches"));
  cboSavedSearches->setToolTip(QStringLiteral("Choose a saved search to run it; type a name and press \"Save "
                                              "search\" to keep the current one (tessarine find --saved NAME runs "
                                              "it too)"));
  cmdSaveSearch = Named(new QPushButton(QStringLiteral("Save search"), this), QStringLiteral("cmdSaveSearch"));
  txtSearchView = Named(new QLineEdit(this), QStringLiteral("txtSearchView"));
  txtSearchView->setPlaceholderText(QStringLiteral("also as view (optional)"));
  txtSearchView->setToolTip(QStringLiteral("A name here, and \"Save search\" also makes the search a view of the "
                                           "catalogue for other programs to read (a view of that name is replaced, "
                                           "a table never)"));
  chkCopies = Named(new QCheckBox(QStringLiteral("Only files with copies"), this), QStringLiteral("chkCopies"));
  chkCopies->setToolTip(QStringLiteral("Only the files whose content another file shares (scans hash files with "
                                       "[Configuration] HashFiles=1)"));

  layout->addWidget(txtSearchWords, 0, 0);
  layout->addWidget(cboSearchFolder, 0, 1);
  layout->addWidget(txtSearchFrom, 0, 2);
  layout->addWidget(txtSearchTo, 0, 3);
  layout->addWidget(cmdSearch, 0, 4);
  auto* cameraAndSource = new QHBoxLayout();
  cameraAndSource->addWidget(txtSearchCamera);
  cameraAndSource->addWidget(txtSearchSource);
  layout->addWidget(txtSearchKeywords, 1, 0);
  layout->addLayout(cameraAndSource, 1, 1);
  layout->addWidget(txtSearchTakenFrom, 1, 2);
  layout->addWidget(txtSearchTakenTo, 1, 3);
  layout->addWidget(txtSearchNear, 1, 4);
  // Beside the table, everything the catalogue holds about the photo of the current row.
  auto* detail = new QWidget(this);
  auto* detailLayout = new QVBoxLayout(detail);
  detailLayout->setContentsMargins(0, 0, 0, 0);
  imgPhotoDetail = Named(new QLabel(detail), QStringLiteral("imgPhotoDetail"));
  imgPhotoDetail->setAlignment(Qt::AlignCenter);
  txtPhotoDetail = Named(new QTextBrowser(detail), QStringLiteral("txtPhotoDetail"));
  lstKeywordCounts = Named(new QListWidget(detail), QStringLiteral("lstKeywordCounts"));
  lstKeywordCounts->setToolTip(QStringLiteral("The keywords of the photos found; click one to narrow the search to it"));
  lstKeywordCounts->setMaximumHeight(fontMetrics().height() * 8);
  detailLayout->addWidget(lstKeywordCounts);
  detailLayout->addWidget(imgPhotoDetail);
  detailLayout->addWidget(txtPhotoDetail, 1);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(tblCatalogue);
  split->addWidget(detail);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  layout->addWidget(split, 2, 0, 1, 5);
  auto* audit = new QHBoxLayout();
  audit->addWidget(chkAudit);
  audit->addWidget(txtAuditRequire, 1);
  audit->addWidget(chkCopies);
  auto* saved = new QHBoxLayout();
  saved->addWidget(cboSavedSearches, 1);
  saved->addWidget(txtSearchView);
  saved->addWidget(cmdSaveSearch);
  layout->addLayout(saved, 4, 0, 1, 2);
  layout->addWidget(lblSearchCount, 3, 0);
  layout->addLayout(audit, 3, 1, 1, 3);
  layout->addWidget(cmdExportCsv, 3, 4);
  layout->setColumnStretch(0, 3);
  layout->setColumnStretch(1, 2);
  layout->setRowStretch(2, 1);

  connect(cmdSearch, &QPushButton::clicked, this, &CatalogueBrowser::cmdSearch_Click);
  for (QLineEdit* box : {txtSearchWords, txtSearchFrom, txtSearchTo, txtSearchKeywords, txtSearchCamera,
                         txtSearchSource, txtSearchTakenFrom, txtSearchTakenTo, txtSearchNear}) {
    connect(box, &QLineEdit::returnPressed, this, &CatalogueBrowser::cmdSearch_Click);
  }
  for (QCheckBox* box : {chkAudit, chkCopies}) connect(box, &QCheckBox::toggled, this, &CatalogueBrowser::cmdSearch_Click);
  connect(cmdSaveSearch, &QPushButton::clicked, this, &CatalogueBrowser::cmdSaveSearch_Click);
  connect(cboSavedSearches, &QComboBox::activated, this,
          [this](int index) { RunSavedSearch(cboSavedSearches->itemText(index)); });
  FillSavedSearches();
  connect(txtAuditRequire, &QLineEdit::returnPressed, this, [this] {
    if (chkAudit->isChecked()) cmdSearch_Click();
    else chkAudit->setChecked(true);
  });
  connect(lstKeywordCounts, &QListWidget::itemActivated, this, &CatalogueBrowser::NarrowToKeyword);
  connect(lstKeywordCounts, &QListWidget::itemClicked, this, &CatalogueBrowser::NarrowToKeyword);
  connect(cmdExportCsv, &QPushButton::clicked, this, &CatalogueBrowser::cmdExportCsv_Click);
  connect(m_model, &CatalogueModel::searched, this, &CatalogueBrowser::ShowCount);
  connect(
      m_model, &CatalogueModel::thumbnailRead, this,
      [this](int row, int height) { tblCatalogue->verticalHeader()->resizeSection(row, height + 4); },
      Qt::QueuedConnection);
  // Enter or a double click opens the photo; the row's menu offers more.
  connect(tblCatalogue, &QTableView::activated, this, &CatalogueBrowser::OpenPhoto);
  connect(tblCatalogue, &QTableView::customContextMenuRequested, this, &CatalogueBrowser::ShowRowMenu);
  connect(tblCatalogue->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { ShowPhotoDetail(current.row()); });
}

CatalogueBrowser::~CatalogueBrowser() { m_model->Clear(); }

void CatalogueBrowser::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FillFolderFilter();
  m_model->SetDevicePixelRatio(devicePixelRatioF());
  if (m_model->rowCount() > 0) SizeColumns();
}

void CatalogueBrowser::FillFolderFilter() {
  if (!m_folderSource) return;
  const QVariant chosen = cboSearchFolder->currentIndex() > 0 ? cboSearchFolder->currentData() : QVariant();
  std::vector<std::string> listed;
  for (const FolderEntry& entry : m_folderSource()) listed.push_back(entry.folder.Text());
  // The folders below the listed ones come from the table, once a search has opened it.
  m_folderTreeRead = m_connection.IsOpen();
  const std::vector<std::string> holding =
      m_folderTreeRead ? FoldersHoldingRows(m_connection, m_context.CurrentSettings()) : std::vector<std::string>{};
  cboSearchFolder->clear();
  cboSearchFolder->addItem(QStringLiteral("All folders"));
  for (const FolderTreeItem& item : FolderTreeOf(listed, holding)) {
    const QByteArray bytes = QByteArray::fromStdString(FolderKey::FromStoredText(item.folder).Bytes());
    cboSearchFolder->addItem(QString(item.depth * 4, QLatin1Char(' ')) + Text(item.shown), bytes);
    cboSearchFolder->setItemData(cboSearchFolder->count() - 1, Text(item.folder), Qt::ToolTipRole);
  }
  const int again = chosen.isValid() ? cboSearchFolder->findData(chosen) : 0;
  cboSearchFolder->setCurrentIndex(again < 0 ? 0 : again);
}

void CatalogueBrowser::Clear() {
  m_folderTreeRead = false;
  m_model->Clear();
  m_connection.CloseConnection();
  lblSearchCount->clear();
  cmdExportCsv->setEnabled(false);
}

std::optional<SearchFilter> CatalogueBrowser::FilterFromBoxes() {
  UserPort& port = m_context.Port();
  SearchFilter filter;
  filter.words = txtSearchWords->text().toStdString();
  if (cboSearchFolder->currentIndex() > 0) {
    filter.folder = FolderKey::FromPath(cboSearchFolder->currentData().toByteArray().toStdString());
  }
  for (auto [box, day] : {std::pair{txtSearchFrom, &filter.from}, std::pair{txtSearchTo, &filter.to},
                          std::pair{txtSearchTakenFrom, &filter.takenFrom},
                          std::pair{txtSearchTakenTo, &filter.takenTo}}) {
    const std::string text = box->text().trimmed().toStdString();
    if (text.empty()) continue;
    *day = SearchDay::Parse(text);
    if (!*day) {
      port.SetStatus("Not a date: '" + text + "' (a day is written YYYY-MM-DD, for example 2026-12-07)");
      port.Beep();
      box->setFocus();
      return std::nullopt;
    }
  }

  for (auto [first, last, from, to] : {std::tuple{&filter.from, &filter.to, txtSearchFrom, txtSearchTo},
                                       std::tuple{&filter.takenFrom, &filter.takenTo, txtSearchTakenFrom,
                                                  txtSearchTakenTo}}) {
    if (*first && *last && **last < **first) {
      port.SetStatus("The first day comes after the last: " + from->text().trimmed().toStdString() + " > " +
                     to->text().trimmed().toStdString());
      port.Beep();
      to->setFocus();
      return std::nullopt;
    }
  }
  if (const QString near = txtSearchNear->text().trimmed(); !near.isEmpty()) {
    filter.near = ParseNear(near.toStdString());
    if (!filter.near) {
      port.SetStatus("Not a place: '" + near.toStdString() +
                     "' (latitude, longitude and kilometres: 59.91,10.75,25 is 25 km around Oslo)");
      port.Beep();
      txtSearchNear->setFocus();
      return std::nullopt;
    }
  }
  for (const QString& keyword : txtSearchKeywords->text().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    if (!keyword.trimmed().isEmpty()) filter.keywords.push_back(keyword.trimmed().toStdString());
  }
  filter.camera = txtSearchCamera->text().toStdString();
  filter.digitalSource = txtSearchSource->text().trimmed().toStdString();
  if (chkAudit->isChecked() && !TakeAuditFields(filter)) return std::nullopt;
  filter.withCopies = chkCopies->isChecked();
  return filter;
}

void CatalogueBrowser::ShowFilter(const SearchFilter& filter) {
  const auto text = [](const std::string& value) { return Text(value); };
  const auto day = [](const std::optional<SearchDay>& d) { return d ? Text(d->Dashed()) : QString(); };
  txtSearchWords->setText(text(filter.words));
  int folder = 0;
  if (filter.folder) {
    folder = cboSearchFolder->findData(QByteArray::fromStdString(filter.folder->Bytes()));
    if (folder < 0) {
      cboSearchFolder->addItem(text(filter.folder->Text()), QByteArray::fromStdString(filter.folder->Bytes()));
      folder = cboSearchFolder->count() - 1;
    }
  }
  cboSearchFolder->setCurrentIndex(folder);
  txtSearchFrom->setText(day(filter.from));
  txtSearchTo->setText(day(filter.to));
  txtSearchTakenFrom->setText(day(filter.takenFrom));
  txtSearchTakenTo->setText(day(filter.takenTo));
  QStringList keywords;
  for (const std::string& keyword : filter.keywords) keywords << text(keyword);
  txtSearchKeywords->setText(keywords.join(QStringLiteral("; ")));
  txtSearchCamera->setText(text(filter.camera));
  txtSearchSource->setText(text(filter.digitalSource));
  txtSearchNear->setText(filter.near ? QStringLiteral("%1,%2,%3")
                                           .arg(filter.near->latitude, 0, 'g', 12)
                                           .arg(filter.near->longitude, 0, 'g', 12)
                                           .arg(filter.near->kilometres, 0, 'g', 12)
                                     : QString());
  QStringList missing;
  for (const std::string& field : filter.missing) missing << text(field);
  if (!missing.isEmpty()) txtAuditRequire->setText(missing.join(QStringLiteral(", ")));
  // Set quietly: each box searches when it is ticked; the caller searches once.
  for (auto [box, on] : {std::pair{chkAudit, !missing.isEmpty()}, std::pair{chkCopies, filter.withCopies}}) {
    const QSignalBlocker quiet(box);
    box->setChecked(on);
  }
}

void CatalogueBrowser::FillSavedSearches() {
  const QSignalBlocker quiet(cboSavedSearches);
  const QString typed = cboSavedSearches->currentText();
  cboSavedSearches->clear();
  for (const SavedSearch& search : SavedSearches(m_context.SettingsFile())) cboSavedSearches->addItem(Text(search.name));
  cboSavedSearches->setCurrentIndex(cboSavedSearches->findText(typed));
  cboSavedSearches->setEditText(typed);
}

void CatalogueBrowser::cmdSaveSearch_Click() {
  UserPort& port = m_context.Port();
  const std::string name = cboSavedSearches->currentText().trimmed().toStdString();
  const std::optional<SearchFilter> filter = FilterFromBoxes();
  if (!filter) return;  // said
  const std::string viewText = txtSearchView->text().trimmed().toStdString();
  const std::optional<TableName> view = TableName::Of(viewText);
  if (!viewText.empty() && !view) {
    port.SetStatus("Not a name a view can have: " + viewText);
    port.Beep();
    txtSearchView->setFocus();
    return;
  }
  if (Status kept = SaveSearch(m_context.SettingsFile(), name, *filter); !kept) {
    port.SetStatus(kept.GetError().what());
    port.Beep();
    cboSavedSearches->setFocus();
    return;
  }
  FillSavedSearches();
  if (view && !MakeSearchView(*filter, *view)) return;  // said
  port.SetStatus("Saved the search as '" + name + "'" + (view ? " and made view " + view->Text() : ""));
}

bool CatalogueBrowser::MakeSearchView(const SearchFilter& filter, const TableName& view) {
  UserPort& port = m_context.Port();
  const Settings& settings = m_context.CurrentSettings();
  port.SetBusy(true);
  bool made = static_cast<bool>(OpenCatalogue(m_connection, port, settings, m_context.FileDsnSelected()));
  if (made) {
    Expected<CatalogueSearch> search = CatalogueSearch::Start(m_connection, port, settings, filter);
    made = search && search.Value().MakeView(view);
  }
  port.SetBusy(false);
  return made;
}

void CatalogueBrowser::RunSavedSearch(const QString& name) {
  for (const SavedSearch& search : SavedSearches(m_context.SettingsFile())) {
    if (Text(search.name) != name) continue;
    ShowFilter(search.filter);
    cmdSearch_Click();
    return;
  }
}

void CatalogueBrowser::cmdSearch_Click() {
  UserPort& port = m_context.Port();
  const std::optional<SearchFilter> chosen = FilterFromBoxes();
  if (!chosen) return;  // said
  const SearchFilter& filter = *chosen;

  m_model->Clear();
  cmdExportCsv->setEnabled(false);
  lblSearchCount->clear();
  lstKeywordCounts->clear();
  std::vector<std::string> listed;
  if (m_folderSource) {
    for (const FolderEntry& entry : m_folderSource()) listed.push_back(entry.folder.Text());
  }
  m_model->SetListedFolders(std::move(listed));
  port.SetBusy(true);
  const bool found = OpenCatalogue(m_connection, port, m_context.CurrentSettings(), m_context.FileDsnSelected()) &&
                     m_model->Search(m_connection, m_context.CurrentSettings(), filter);
  port.SetBusy(false);
  cmdExportCsv->setEnabled(found);
  if (found) ShowKeywordCounts();
  if (found && !m_folderTreeRead) FillFolderFilter();
}

void CatalogueBrowser::ShowKeywordCounts() {
  constexpr long long kShownKeywords = 100;
  CatalogueSearch* search = m_model->CurrentSearch();
  if (search == nullptr) return;
  const Expected<std::vector<CatalogueSearch::KeywordCount>> counts = search->KeywordCounts(kShownKeywords);
  if (!counts) return;  // reported
  for (const CatalogueSearch::KeywordCount& count : *counts) {
    auto* item = new QListWidgetItem(QStringLiteral("%1 (%2)").arg(Text(count.keyword)).arg(count.matches));
    item->setData(Qt::UserRole, Text(count.keyword));
    lstKeywordCounts->addItem(item);
  }
}

void CatalogueBrowser::NarrowToKeyword(QListWidgetItem* item) {
  if (item == nullptr) return;
  const QString keyword = item->data(Qt::UserRole).toString();
  QStringList keywords = txtSearchKeywords->text().split(QLatin1Char(';'), Qt::SkipEmptyParts);
  for (QString& each : keywords) each = each.trimmed();
  if (keywords.contains(keyword)) return;
  keywords << keyword;
  txtSearchKeywords->setText(keywords.join(QStringLiteral("; ")));
  cmdSearch_Click();
}

bool CatalogueBrowser::TakeAuditFields(SearchFilter& filter) {
  UserPort& port = m_context.Port();
  const std::string text = txtAuditRequire->text().trimmed().toStdString();
  filter.missing = SplitFieldNames(text);
  const Settings& settings = m_context.CurrentSettings();
  for (const std::string& name : filter.missing) {
    if (FindRequiredField(name, settings.custom)) continue;
    port.SetStatus(UnknownFieldMessage(name));
    port.Beep();
    txtAuditRequire->setFocus();
    return false;
  }
  if (filter.missing.empty()) {
    port.SetStatus("Name the fields every photo must have, for example Byline, Caption, CopyrightNotice");
    port.Beep();
    txtAuditRequire->setFocus();
    return false;
  }
  if (text != settings.auditRequire && !StoreAuditRequire(m_context.CurrentSettings(), m_context.SettingsFile(), text)) {
    port.SetStatus("These fields are audited now but not kept: the settings file keeps a list of at most " +
                   std::to_string(kMaxSettingLength - 1) + " characters");
  }
  return true;
}

void CatalogueBrowser::ShowCount(long long matches) {
  if (chkAudit->isChecked()) {
    lblSearchCount->setText(matches == 0   ? QStringLiteral("No photo lacks a required field")
                            : matches == 1 ? QStringLiteral("1 photo lacks a required field")
                                           : QStringLiteral("%1 photos lack a required field").arg(matches));
  } else {
    lblSearchCount->setText(matches == 1 ? QStringLiteral("1 photo") : QStringLiteral("%1 photos").arg(matches));
  }
  SizeColumns();
}

void CatalogueBrowser::SizeColumns() {
  // Each column as wide as what the rows read show in it, within a third of the table (sized again
  // once the table is shown: the window may not be laid out yet).
  tblCatalogue->resizeColumnsToContents();
  const int widest = std::max(120, tblCatalogue->viewport()->width() / 3);
  QHeaderView* header = tblCatalogue->horizontalHeader();
  for (int column = 0; column < header->count(); ++column) {
    if (header->sectionSize(column) > widest) header->resizeSection(column, widest);
  }
}

void CatalogueBrowser::ShowPhotoDetail(int row) {
  txtPhotoDetail->clear();
  imgPhotoDetail->clear();
  const std::optional<std::pair<std::string, std::string>> key = m_model->RowKey(row);
  if (!key || !m_connection.IsOpen()) return;
  std::string problem;
  const std::vector<PhotoField> fields =
      ReadPhotoFields(m_connection, m_context.CurrentSettings(), key->first, key->second, &problem);
  if (!problem.empty()) m_context.Port().SetStatus(problem);
  QString html;
  if (const std::vector<std::string> missing = m_model->MissingOf(row); !missing.empty()) {
    QString lacks;
    for (const std::string& name : missing) lacks += (lacks.isEmpty() ? "" : ", ") + Text(name).toHtmlEscaped();
    html += QStringLiteral("<p><b>Lacks</b><br>%1</p>").arg(lacks);
  }
  if (const std::optional<TableName> images = TableName::Of(m_context.CurrentSettings().images);
      images && chkCopies->isChecked()) {
    try {
      QString copies;
      for (const std::string& path : CopiesOf(m_connection, *images, key->first, key->second)) {
        copies += (copies.isEmpty() ? "" : "<br>") + Text(path).toHtmlEscaped();
      }
      if (!copies.isEmpty()) html += QStringLiteral("<p><b>Same content as</b><br>%1</p>").arg(copies);
    } catch (const DatabaseError& error) {
      m_context.Port().SetStatus(error.what());
    }
  }
  for (const PhotoField& field : fields) {
    QString value = Text(field.value).toHtmlEscaped();
    value.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    html += QStringLiteral("<p><b>%1</b><br>%2</p>").arg(Text(field.title).toHtmlEscaped(), value);
  }
  txtPhotoDetail->setHtml(html);
  const QModelIndex file = m_model->index(row, static_cast<int>(m_model->FileColumn()));
  if (const QVariant thumbnail = file.data(Qt::DecorationRole); thumbnail.canConvert<QPixmap>()) {
    imgPhotoDetail->setPixmap(thumbnail.value<QPixmap>());
  }
}

void CatalogueBrowser::OpenPhoto(const QModelIndex& index) {
  if (index.isValid()) m_context.OpenDocument(PathText(m_model->FilePath(index.row())));
}

void CatalogueBrowser::ShowRowMenu(const QPoint& at) {
  const QModelIndex index = tblCatalogue->indexAt(at);
  if (!index.isValid()) return;
  const std::filesystem::path file = m_model->FilePath(index.row());
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("mnuCatalogueRow"));
  menu.addAction(QStringLiteral("Open"), this, [this, index] { OpenPhoto(index); });
  menu.addAction(QStringLiteral("Show in folder"), this,
                 [this, file] { m_context.OpenDocument(PathText(file.parent_path())); });
  menu.addAction(QStringLiteral("Copy path"), this, [file] { QGuiApplication::clipboard()->setText(PathText(file)); });
  menu.addAction(QStringLiteral("Copy row as text"), this,
                 [this, index] { QGuiApplication::clipboard()->setText(RowText(index.row())); });
  m_showMenu(menu, tblCatalogue->viewport()->mapToGlobal(at));
}

QString CatalogueBrowser::RowText(int row) const {
  // "Title: value" lines of the row's non-empty columns, as the view shows them.
  QStringList lines;
  for (int column = 0; column < m_model->columnCount(); ++column) {
    const QString value = m_model->index(row, column).data(Qt::ToolTipRole).toString();
    if (value.isEmpty()) continue;
    lines << m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() + QStringLiteral(": ") + value;
  }
  return lines.join(QLatin1Char('\n'));
}

void CatalogueBrowser::cmdExportCsv_Click() {
  CatalogueSearch* search = m_model->CurrentSearch();
  if (search == nullptr) return;
  std::optional<std::filesystem::path> file;
  if (m_chooseExportFile) {
    file = m_chooseExportFile();
  } else {
    const QString chosen = QFileDialog::getSaveFileName(this, cmdExportCsv->text(), QString(),
                                                        QStringLiteral("CSV files (*.csv)"));
    if (!chosen.isEmpty()) {
      // A name typed without an extension gets the one the filter names.
      const QString named = QFileInfo(chosen).suffix().isEmpty() ? chosen + QStringLiteral(".csv") : chosen;
      file = std::filesystem::path(QFile::encodeName(named).toStdString());
    }
  }
  if (!file) return;

  UserPort& port = m_context.Port();
  // For a spreadsheet: it opens the file as UTF-8 only with the mark, a photo's title must not run
  // there as a formula, and a date reads as the view shows it.
  CsvOptions options;
  options.byteOrderMark = true;
  options.guardFormulas = true;
  options.shownDates = true;
  port.SetBusy(true);
  const std::optional<long long> written = ExportCsvFile(*search, *file, options);
  port.SetBusy(false);
  if (!written) {
    port.ShowMessage("The view could not be written to\r\n" + file->string(), MessageIcon::Exclamation, kWindowTitle,
                     MessageButtons::Ok);
    return;
  }
  port.SetStatus(std::to_string(*written) + " rows written to " + file->string());
}

}  // namespace tessarine
