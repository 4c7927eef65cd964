// Searches kept in the settings file: every filter comes back whole as it was saved, whatever its
// values hold; what this version cannot read, or what is too long, is refused, never half taken.

#include <gtest/gtest.h>

#include <tuple>

#include "support/TempDir.h"
#include "workflows/browse/SavedSearches.h"

namespace tessarine {
namespace {

TEST(SavedSearches, EveryFilterComesBackAsSavedAndWhatCannotBeReadIsRefused) {
  test::TempDir dir;
  const std::filesystem::path ini = dir / "Tessarine PRO.ini";
  SearchFilter full{.words = "beach 1%; x\ny",
                    .folder = FolderKey::FromStoredText("/srv/a; b/"),
                    .from = SearchDay::Parse("2024-01-01"),
                    .to = SearchDay::Parse("2024-12-31"),
                    .takenFrom = SearchDay::Parse("2023-02-28"),
                    .takenTo = SearchDay::Parse("2023-03-01"),
                    .camera = "canon r5",
                    .near = ParseNear("-33.45,-70.66,12.5"),
                    .keywords = {"Places|Norway", "a;b"},
                    .digitalSource = "composite",
                    .withCopies = true,
                    .missing = {"Byline", "DateTaken"}};
  ASSERT_TRUE(SaveSearch(ini, "Desk 1", full));
  ASSERT_TRUE(SaveSearch(ini, "only words", {.words = "dog"}));
  ASSERT_TRUE(SaveSearch(ini, "DESK 1", full));  // the same name: replaced, as now spelt, not added
  const std::vector<SavedSearch> saved = SavedSearches(ini);
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved[0].name, "DESK 1");
  const SearchFilter& back = saved[0].filter;
  EXPECT_EQ(back.words, full.words);
  EXPECT_EQ(back.folder->Text(), "/srv/a; b/");
  EXPECT_EQ(back.keywords, full.keywords);
  EXPECT_EQ(back.near->kilometres, 12.5);
  EXPECT_EQ(std::tie(back.from, back.to, back.takenFrom, back.takenTo, back.camera, back.digitalSource, back.missing),
            std::tie(full.from, full.to, full.takenFrom, full.takenTo, full.camera, full.digitalSource, full.missing));
  EXPECT_TRUE(back.withCopies);
  EXPECT_EQ(EncodeSearch(back), EncodeSearch(full));

  for (const char* unreadable : {"words=a; colour=red", "from=2024-02-30", "words=%41", "near=1,2", "words"}) {
    EXPECT_FALSE(DecodeSearch(unreadable)) << unreadable;
  }
  for (const std::string& name : {std::string(), std::string(" lead"), std::string("a=b"), std::string("x[1]"),
                                   std::string("semi;colon"), std::string(65, 'n')}) {
    EXPECT_FALSE(SaveSearch(ini, name, full)) << name;
  }
  EXPECT_FALSE(SaveSearch(ini, "long", {.words = std::string(kMaxSavedSearchBytes, 'w')}));
  EXPECT_EQ(SavedSearches(ini).size(), 2u);
}

}  // namespace
}  // namespace tessarine
