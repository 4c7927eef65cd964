// Names holding "\" on each real database: an ordinary character of a name here. Both "a\b/x" and
// "a/b/x" get their rows; rows an earlier version stored with "/" for each "\" are the check's rows
// of their files, and a rescan of their folder replaces them.

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <string_view>
#include <utility>

#include "core/FileSystemFaults.h"
#include "core/ImageColumns.h"
#include "workflows/CatalogueFixture.h"

namespace tessarine::test {
namespace {

using Stored = std::map<std::pair<std::string, std::string>, std::string>;

// "g\h.txt" cannot be opened.
int UnreadableG(std::string_view call, std::string_view path) {
  return call == "open" && path.ends_with("g\\h.txt") ? EACCES : 0;
}

class BackslashNames : public CatalogueFixture {
 protected:
  // Every row's keys, with its Caption.
  Stored StoredRows() {
    Stored stored;
    for (const auto& [key, values] : Rows("select * from " + m_settings.images + ";")) {
      stored[{values[col::Folder], values[col::FileName]}] = values[col::Caption];
    }
    return stored;
  }
};
TESSARINE_ON_EVERY_DATABASE(BackslashNames);

TEST_P(BackslashNames, BothNamesGetTheirRowsAndFormerRowsAreKeptThenReplaced) {
  for (const char* folder : {"a\\b", "a/b", "c\\d"}) std::filesystem::create_directories(m_root / folder);
  WriteFile(m_root / "a\\b" / "x.txt", "one");
  WriteFile(m_root / "a" / "b" / "x.txt", "two");
  AddAndLoad(m_root);
  ScanAll();
  const std::string root = Text(m_root);
  EXPECT_EQ(StoredRows(), (Stored{{{root + "a\\b/", "x.txt"}, ""}, {{root + "a/b/", "x.txt"}, ""}}));

  // Files an earlier version catalogued, its rows with "/" for "\" (marked by their Caption): a file
  // in a folder with "\" (no folder of the former name), a file with "\", and one with "\" kept
  // unread (not readable).
  WriteFile(m_root / "c\\d" / "y.txt", "y");
  WriteFile(m_root / "e\\f.txt", "e");
  WriteFile(m_root / "g\\h.txt", "g");
  for (const auto& [folder, file] : {std::pair{root + "c/d/", "y.txt"}, {root, "e/f.txt"}, {root, "g/h.txt"}}) {
    Insert(folder, file, {{col::Caption, "former"}});
  }
  connection.CloseConnection();

  // The check takes them for the rows of their files: no photo without a row, no row without a file.
  const CheckResult check = Check();
  ASSERT_TRUE(check.status) << DescribeMessages();
  EXPECT_TRUE(check.filesWithoutLines.empty());
  EXPECT_TRUE(check.linesWithoutFiles.empty());

  // A rescan replaces the former rows of the files it reads, and keeps the one of a file it cannot.
  SetFileSystemFaultHook(UnreadableG);
  ScanAll();
  SetFileSystemFaultHook(nullptr);
  EXPECT_EQ(StoredRows(), (Stored{{{root + "a\\b/", "x.txt"}, ""},
                                  {{root + "a/b/", "x.txt"}, ""},
                                  {{root + "c\\d/", "y.txt"}, ""},
                                  {{root, "e\\f.txt"}, ""},
                                  {{root, "g/h.txt"}, "former"}}));
}

}  // namespace
}  // namespace tessarine::test
