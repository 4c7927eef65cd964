#include "core/FolderKey.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempDir.h"

namespace tessarine {
namespace {

TEST(FolderKey, AFolderOfAPathEndsInOneSlashAndReadsItsBytesAsUtf8ElseWindows1252) {
  const FolderKey utf8 = FolderKey::FromPath("/photos/caf\xC3\xA9//");
  EXPECT_EQ(utf8.Bytes(), "/photos/caf\xC3\xA9/");
  EXPECT_EQ(utf8.Text(), utf8.Bytes());
  const FolderKey latin = FolderKey::FromPath("/photos/caf\xE9");
  EXPECT_EQ(latin.Bytes(), "/photos/caf\xE9/");
  EXPECT_EQ(latin.Text(), "/photos/caf\xC3\xA9/");
  // One name that is not UTF-8 makes the whole path read as Windows-1252, as the rows store it.
  EXPECT_EQ(latin.Child("\xC3\xA9t\xE9").Text(), "/photos/caf\xC3\xA9/\xC3\x83\xC2\xA9t\xC3\xA9/");
  EXPECT_EQ(FolderKey::FromPath("/").Bytes(), "/");
}

TEST(FolderKey, AStoredTextFindsTheBytesOfTheFolderOnDisk) {
  test::TempDir dir;
  const std::string base = dir.path().string();
  std::filesystem::create_directories(base + "/caf\xE9");
  const FolderKey found = FolderKey::FromStoredText(base + "/caf\xC3\xA9/");
  EXPECT_EQ(found.Bytes(), base + "/caf\xE9/");
  EXPECT_EQ(found.Text(), base + "/caf\xC3\xA9/");

  // A UTF-8 folder of the same text wins; a folder that is gone keeps the text as its bytes.
  std::filesystem::create_directories(base + "/caf\xC3\xA9");
  EXPECT_EQ(FolderKey::FromStoredText(base + "/caf\xC3\xA9/").Bytes(), base + "/caf\xC3\xA9/");
  EXPECT_EQ(FolderKey::FromStoredText(base + "/gone\xE2\x82\xAC").Bytes(), base + "/gone\xE2\x82\xAC/");
  // A row written with the path's own bytes (not UTF-8) is those bytes.
  const FolderKey legacy = FolderKey::FromStoredText(base + "/caf\xE9/");
  EXPECT_EQ(legacy.Bytes(), base + "/caf\xE9/");
  EXPECT_EQ(legacy.Text(), found.Text());
  EXPECT_EQ(legacy.StoredText(), base + "/caf\xE9/");
  EXPECT_EQ(found.StoredText(), found.Text());
}

TEST(FolderKey, ContainsComparesWholeFolderNames) {
  const FolderKey photos = FolderKey::FromPath("/photos");
  EXPECT_TRUE(photos.Contains(FolderKey::FromPath("/photos/2024")));
  EXPECT_TRUE(photos.Contains(photos));
  EXPECT_FALSE(photos.Contains(FolderKey::FromPath("/photos-old")));
  EXPECT_FALSE(FolderKey::FromPath("/photos/2024").Contains(photos));
}

}  // namespace
}  // namespace tessarine
