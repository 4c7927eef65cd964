// The catalogue view's model on every real database: the first page at once, the rest page by
// page as the view scrolls, each match once, re-sorted from the whole table by a header; a table
// that is missing leaves an empty view.

#include "gui/browse/CatalogueModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "catalogue/ScanStatements.h"
#include "core/ImageColumns.h"
#include "workflows/CatalogueFixture.h"

namespace tessarine::test {
namespace {

constexpr int kRows = 2 * CatalogueModel::kPageSize + 37;

class CatalogueModelOn : public CatalogueFixture {
 protected:
  void SetUp() override {
    CatalogueFixture::SetUp();
    if (IsSkipped() || HasFailure()) return;
    Open();
    connection.Send("begin;");
    for (int i = 0; i < kRows; ++i) {
      ColumnValues row;
      row[col::Folder] = Text(m_root);
      row[col::FileName] = "f" + std::to_string(1000 + i) + ".jpg";
      row[col::ModifyTime] = "1";
      // Every fifth has no title: the sort must still give each row once.
      if (i % 5 != 0) row[col::ObjectName] = "Title " + std::to_string(i % 7);
      row[col::Keywords] = i % 2 == 0 ? "Harbour, boats" : "field";
      connection.Send(InsertImageRow(ValidName(m_settings.images), row));
    }
    connection.Send("commit;");
  }

  static int Column(const CatalogueModel& model, const char* title) {
    for (int c = 0; c < model.columnCount(); ++c) {
      if (model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == QLatin1String(title)) return c;
    }
    return -1;
  }
  // The texts of a column, every page fetched.
  static std::vector<QString> Fetched(CatalogueModel& model, int column) {
    while (model.canFetchMore({})) model.fetchMore({});
    std::vector<QString> texts;
    for (int row = 0; row < model.rowCount(); ++row) texts.push_back(model.index(row, column).data().toString());
    return texts;
  }
};

TEST_P(CatalogueModelOn, PagesGiveEveryMatchOnceInTheOrderOfTheChosenHeader) {
  CatalogueModel model(port);
  SearchFilter harbourWords;
  harbourWords.words = "HARBOUR";
  ASSERT_TRUE(model.Search(connection, m_settings, harbourWords)) << DescribeMessages();
  const std::size_t harbour = (kRows + 1) / 2;
  EXPECT_EQ(model.MatchCount(), harbour);
  EXPECT_EQ(model.rowCount(), CatalogueModel::kPageSize);
  const int file = Column(model, "File");
  const int title = Column(model, "Title");
  std::vector<QString> files = Fetched(model, file);
  EXPECT_EQ(files.size(), harbour);
  EXPECT_EQ(std::set<QString>(files.begin(), files.end()).size(), harbour);
  EXPECT_EQ(model.FilePath(0).parent_path(), m_root);  // the file of a row, as a path on the disk

  // By title, descending: the whole search again, the titled rows first, each row once.
  model.sort(title, Qt::DescendingOrder);
  EXPECT_EQ(model.rowCount(), CatalogueModel::kPageSize);
  const std::vector<QString> titles = Fetched(model, title);
  EXPECT_EQ(titles.front(), QStringLiteral("Title 6"));
  EXPECT_TRUE(std::is_sorted(titles.rbegin(), titles.rend()));
  files = Fetched(model, file);
  EXPECT_EQ(std::set<QString>(files.begin(), files.end()).size(), harbour);
  EXPECT_TRUE(port.messages.empty()) << DescribeMessages();

  // A table that is missing: said, and the view is empty.
  m_settings.images = Table("Missing");
  EXPECT_FALSE(model.Search(connection, m_settings, SearchFilter{}));
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_FALSE(model.HasSearch());
  EXPECT_FALSE(port.messages.empty() && port.LastStatus().empty());
}

TESSARINE_ON_EVERY_DATABASE(CatalogueModelOn);

}  // namespace
}  // namespace tessarine::test
