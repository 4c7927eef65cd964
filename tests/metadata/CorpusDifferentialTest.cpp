// The shared sample corpus read both ways: with modern formats off every file's record is the one
// the whole-file reader of the classic rules gives, byte for byte; with them on, a row differs only
// in columns that were empty, and the classic record underneath is unchanged. Skips without the
// corpus. Prints what the option added per file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <vector>

#include "metadata/FileRowReader.h"
#include "metadata/XmpParser.h"
#include "support/Corpus.h"
#include "support/TempDir.h"
#include "support/WholeFileSearch.h"

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
    const std::string bytes = test::ReadFile(path);
    const Bytes data{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
    for (const bool xmpOverIptc : {true, false}) {
      MetadataReadContext off{false, &parser, {}};
      MetadataReadContext on = off;
      on.modernFormats = true;

      MetadataRecord classic;
      ReadImageMetadata(path, ext, off, classic);
      MetadataRecord modern;
      ReadImageMetadata(path, ext, on, modern);
      const MetadataRecord reference = classic.supportIptc == "0" ? MetadataRecord() : test::WholeFileRecord(data, ext, off);
      EXPECT_EQ(test::RecordDifference(classic, reference), "") << path;
      EXPECT_FALSE(classic.beyondClassic) << path;
      EXPECT_EQ(test::RecordDifference(modern, classic), "") << path;

      const FileRow rowOff = ReadFileRow(path, off, xmpOverIptc);
      const FileRow rowOn = ReadFileRow(path, on, xmpOverIptc);
      for (std::size_t c = 0; c < kImageColumnCount; ++c) {
        if (rowOff.columns[c] == rowOn.columns[c]) continue;
        const bool sizeFromHeader = (c == col::Width || c == col::Height) && rowOff.columns[c] == "-";
        EXPECT_TRUE(rowOff.columns[c].empty() || sizeFromHeader)
            << path.filename() << " " << columns[c].name << ": \"" << rowOff.columns[c] << "\" became \"" << rowOn.columns[c] << "\"";
        if (xmpOverIptc) {
          ++filled;
          std::cout << path.filename().native() << " " << columns[c].name << " = " << rowOn.columns[c].substr(0, 60) << "\n";
        }
      }
    }
  }
  // The corpus holds files the classic rules miss (UTF-16 and unwrapped packets, PNG, WebP, raws).
  EXPECT_GT(filled, 0);
}

}  // namespace
}  // namespace tessarine
