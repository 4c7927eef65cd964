// The shared sample corpus read both ways: with modern formats on, the classic record underneath is
// unchanged and a row differs only in columns that were empty. Skips without the corpus.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "metadata/FileRowReader.h"
#include "metadata/XmpParser.h"
#include "support/Corpus.h"
#include "support/RecordDifference.h"

namespace tessarine {
namespace {

TEST(CorpusDifferentialTest, ModernFormatsOnlyFillColumnsTheClassicRulesLeftEmpty) {
  const std::vector<std::filesystem::path> files = test::CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no sample corpus at " << test::CorpusFolder();
  const XmpParser parser(CustomXmpDefinition{});
  const auto& columns = ImageColumns();
  int filled = 0;
  for (const auto& path : files) {
    const std::string ext = UpperExtension(path.filename().native());
    for (const bool xmpOverIptc : {true, false}) {
      MetadataReadContext off{false, &parser, {}};
      MetadataReadContext on = off;
      on.modernFormats = true;

      MetadataRecord classic;
      ReadImageMetadata(path, ext, off, classic);
      MetadataRecord modern;
      ReadImageMetadata(path, ext, on, modern);
      EXPECT_FALSE(classic.beyondClassic) << path;
      EXPECT_EQ(test::RecordDifference(modern, classic), "") << path;

      const FileRow rowOff = ReadFileRow(path, off, xmpOverIptc);
      const FileRow rowOn = ReadFileRow(path, on, xmpOverIptc);
      for (std::size_t c = 0; c < kImageColumnCount; ++c) {
        if (rowOff.columns[c] == rowOn.columns[c]) continue;
        const bool sizeFromHeader = (c == col::Width || c == col::Height) && rowOff.columns[c] == "-";
        EXPECT_TRUE(rowOff.columns[c].empty() || sizeFromHeader)
            << path.filename() << " " << columns[c].name << ": \"" << rowOff.columns[c] << "\" became \"" << rowOn.columns[c] << "\"";
        filled += xmpOverIptc ? 1 : 0;
      }
    }
  }
  // The corpus holds files the classic rules miss (UTF-16 and unwrapped packets, PNG, WebP, raws).
  EXPECT_GT(filled, 0);
}

}  // namespace
}  // namespace tessarine
