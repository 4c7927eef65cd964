// The catalogue view's model on every real database: the first page at once, the rest page by
// page as the view scrolls, each match once, re-sorted from the whole table by a header.

#include "gui/browse/CatalogueModel.h"

#include <gtest/gtest.h>

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

  int Column(const CatalogueModel& model, const char* title) const {
    for (int c = 0; c < model.columnCount(); ++c) {
      if (model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == QLatin1String(title)) return c;
    }
    return -1;
  }
  std::set<std::string> Files(CatalogueModel& model) const {
    while (model.canFetchMore({})) model.fetchMore({});
    std::set<std::string> files;
    const int file = Column(model, "File");
    for (int row = 0; row < model.rowCount(); ++row) {
      files.insert(model.data(model.index(row, file), Qt::DisplayRole).toString().toStdString());
    }
    return files;
  }
};

TEST_P(CatalogueModelOn, PagesGiveEveryMatchOnceInTheOrderOfTheChosenHeader) {
  CatalogueModel model(port);
  ASSERT_TRUE(model.Search(connection, m_settings, SearchFilter{"HARBOUR"})) << DescribeMessages();
  const int harbour = (kRows + 1) / 2;
  EXPECT_EQ(model.MatchCount(), harbour);
  EXPECT_EQ(model.rowCount(), CatalogueModel::kPageSize);
  EXPECT_EQ(Files(model).size(), static_cast<std::size_t>(harbour));
  EXPECT_EQ(model.rowCount(), harbour);

  // By title, descending: the whole search again, the titled rows first, each row once.
  const int title = Column(model, "Title");
  ASSERT_GE(title, 0);
  model.sort(title, Qt::DescendingOrder);
  EXPECT_EQ(model.rowCount(), CatalogueModel::kPageSize);
  EXPECT_EQ(model.data(model.index(0, title), Qt::DisplayRole).toString(), QStringLiteral("Title 6"));
  EXPECT_EQ(Files(model).size(), static_cast<std::size_t>(harbour));
  EXPECT_EQ(model.data(model.index(harbour - 1, title), Qt::DisplayRole).toString(), QString());

  // The file of a row, as a path on the disk.
  EXPECT_EQ(model.FilePath(0).parent_path(), m_root);
  EXPECT_TRUE(port.messages.empty()) << DescribeMessages();
}

TEST_P(CatalogueModelOn, AMissingTableIsReportedAndLeavesAnEmptyView) {
  CatalogueModel model(port);
  ASSERT_TRUE(model.Search(connection, m_settings, SearchFilter{}));
  m_settings.images = Table("Missing");
  EXPECT_FALSE(model.Search(connection, m_settings, SearchFilter{}));
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_FALSE(model.HasSearch());
  EXPECT_FALSE(port.messages.empty() && port.LastStatus().empty());
}

TESSARINE_ON_EVERY_DATABASE(CatalogueModelOn);

}  // namespace
}  // namespace tessarine::test
