// Feeds arbitrary bytes to the metadata reader as a JPEG, TIFF or PSD would reach it, through a
// window the input sizes too, so that signatures fall on window boundaries, and checks that the
// record is the one the usual window gives, with modern formats off or on (half the inputs each).
// Read with modern formats on as well, the classic record underneath must not change, what they
// find may only fill the columns the classic rules left empty, and it must be storable. No value
// may grow past what the input can give without expansion (an entity, a quadratic join), nor past
// the column bound once cut.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/TextDecoding.h"
#include "core/ValueBound.h"
#include "metadata/ImageMetadataReader.h"
#include "metadata/RecordAssembly.h"
#include "metadata/XmpParser.h"
#include "support/RecordDifference.h"

namespace {

tessarine::CustomXmpDefinition CustomSchemas() {
  tessarine::CustomXmpDefinition custom;
  custom.schemas[0] = {"Mine", "http://example.com/myp/1.0/", "myp", {}};
  custom.schemas[0].properties[0] = {"Rating", "05"};
  custom.schemas[1] = {"Short", "http://example.com/ph/", "ph", {}};
  custom.schemas[1].properties[0] = {"Label", "100"};
  return custom;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const tessarine::XmpParser parser(CustomSchemas());
  static const tessarine::MetadataReadContext classic{false, &parser, {}};
  static const tessarine::MetadataReadContext modern{.parser = &parser, .modernFormats = true};
  static const char* const kExtensions[] = {"JPG", "TIF", "PSD", "DAT"};

  const char* ext = kExtensions[size > 0 ? data[size - 1] % 4 : 0];
  // Mostly small windows (64 to 445 bytes), sometimes the usual one.
  const std::size_t window =
      size > 1 && data[size - 2] < 128 ? 64 + std::size_t{data[size - 2]} * 3 : tessarine::ByteWindow::kDefaultCapacity;
  const tessarine::MetadataReadContext& context = size > 2 && (data[size - 3] & 1) ? modern : classic;
  tessarine::MetadataRecord usual;
  tessarine::ReadImageMetadataFromBytes({data, size}, ext, classic, usual);
  tessarine::MetadataRecord record;
  tessarine::ReadImageMetadataFromBytes({data, size}, ext, context, record, window);
  if (!tessarine::test::RecordDifference(record, usual).empty() || usual.beyondClassic) std::abort();

  // Every input is read with modern formats on too: the classic record underneath is the same, and
  // what they find fills only the columns the classic rules left empty, IIM first or XMP.
  tessarine::MetadataRecord withModern;
  tessarine::ReadImageMetadataFromBytes({data, size}, ext, modern, withModern);
  if (!tessarine::test::RecordDifference(withModern, usual).empty()) std::abort();
  const bool xmpOverIptc = size < 4 || (data[size - 4] & 1) == 0;
  tessarine::ColumnValues classicColumns;
  tessarine::AssembleColumns(usual, xmpOverIptc, classicColumns);
  tessarine::ColumnValues columns;
  tessarine::AssembleColumns(withModern, xmpOverIptc, columns);
  // Each input byte gives at most three bytes of UTF-8, a join or a dataset's label a few more per
  // dataset. (Modern formats may inflate compressed text, within their own bound.)
  const std::size_t mostFromInput = 8 * size + 64;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c] != classicColumns[c] && !classicColumns[c].empty()) std::abort();
    if (classicColumns[c].size() > mostFromInput) std::abort();
    if (!tessarine::IsValidUtf8(columns[c])) std::abort();  // every value must be storable
  }
  tessarine::CutColumnsToBound(columns);
  for (const std::string& value : columns) {
    if (value.size() > tessarine::kMaxValueBytes || !tessarine::IsValidUtf8(value)) std::abort();
  }
  return 0;
}
