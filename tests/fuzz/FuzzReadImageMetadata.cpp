// Feeds arbitrary bytes to the metadata reader as a JPEG, TIFF or PSD would reach it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/TextDecoding.h"
#include "metadata/ImageMetadataReader.h"
#include "metadata/RecordAssembly.h"
#include "metadata/XmpParser.h"

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
  static const tessarine::MetadataReadContext context{false, &parser, {}};
  static const char* const kExtensions[] = {"JPG", "TIF", "PSD", "DAT"};

  tessarine::MetadataRecord record;
  const char* ext = kExtensions[size > 0 ? data[size - 1] % 4 : 0];
  tessarine::ReadImageMetadataFromBytes({data, size}, ext, context, record);

  tessarine::ColumnValues columns;
  tessarine::AssembleColumns(record, true, columns);
  for (const std::string& value : columns) {
    if (!tessarine::IsValidUtf8(value)) std::abort();  // every value must be storable
  }
  return 0;
}
