// Feeds arbitrary bytes to the metadata reader as a JPEG, TIFF or PSD would reach it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "metadata/ImageMetadataReader.h"
#include "metadata/RecordAssembly.h"
#include "metadata/TextDecoding.h"
#include "metadata/XmpParser.h"

namespace {

class SilentPort final : public tessarine::UserPort {
 public:
  void SetStatus(std::string_view) override {}
  tessarine::MessageAnswer ShowMessage(std::string_view, tessarine::MessageIcon, std::string_view,
                                       tessarine::MessageButtons) override {
    return tessarine::MessageAnswer::Ok;
  }
  void Beep() override {}
  void SetBusy(bool) override {}
  void AddLogLine(std::string_view) override {}
  void ShowPreview(const tessarine::PreviewImage&) override {}
  void ProcessEvents() override {}
};

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
  static SilentPort port;
  static const tessarine::MetadataReadContext context{false, &parser, &port, {}};
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
