// How fast one file's metadata is read, and what decoding in a child process costs.

#include <FreeImage.h>
#include <benchmark/benchmark.h>

#include "metadata/ImageBytes.h"
#include "metadata/ImageLoader.h"
#include "metadata/ImageMetadataReader.h"
#include "metadata/XmpParser.h"
#include "support/TempDir.h"

namespace {

using namespace tessarine;
using namespace tessarine::test;

// A JPEG of about 4 MB: an IIM block, an XMP packet with padding, then image data.
std::string TypicalJpeg() {
  std::string iim;
  for (int i = 0; i < 20; ++i) iim += Iim(25, "keyword " + std::to_string(i));
  iim += Iim(120, std::string(500, 'c')) + Iim(80, "Ann") + Iim(5, "Title");
  std::string xmp = Packet(
      "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
      "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">Title</rdf:li></rdf:Alt></dc:title>"
      "<dc:subject><rdf:Bag><rdf:li>a</rdf:li><rdf:li>b</rdf:li><rdf:li>c</rdf:li></rdf:Bag></dc:subject>"
      "</rdf:Description><rdf:Description rdf:about=\"\" xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\">"
      "<photoshop:City>Paris</photoshop:City><photoshop:Headline>Head</photoshop:Headline></rdf:Description>",
      std::string(2048, ' '));
  return Jpeg(App1Exif() + App13(Resource(0x0404, iim)) + App1Xmp(xmp) + std::string(4 << 20, '\x55'));
}

void ReadJpegMetadata(benchmark::State& state) {
  const std::string file = TypicalJpeg();
  const XmpParser parser{CustomXmpDefinition{}};
  const MetadataReadContext context{false, &parser, {}, nullptr};
  MetadataRecord record;
  for (auto _ : state) {
    ReadImageMetadataFromBytes(AsBytes(file), "JPG", context, record);
    benchmark::DoNotOptimize(record.iim[col::Keywords]);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(ReadJpegMetadata);

// A TIFF is searched at every offset: the worst case per byte.
void ReadTiffMetadata(benchmark::State& state) {
  const std::string file = "II*\0" + std::string(16 << 20, '\x3C') + Packet("<rdf:Description/>");
  const XmpParser parser{CustomXmpDefinition{}};
  const MetadataReadContext context{false, &parser, {}, nullptr};
  MetadataRecord record;
  for (auto _ : state) ReadImageMetadataFromBytes(AsBytes(file), "TIF", context, record);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(ReadTiffMetadata);

void SaveJpeg(const std::filesystem::path& path, int width, int height) {
  FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
  FreeImage_Save(FIF_JPEG, bitmap, path.c_str(), 0);
  FreeImage_Unload(bitmap);
}

void DecodeJpegInDecoderProcess(benchmark::State& state) {
  TempDir dir;
  SaveJpeg(dir / "a.jpg", static_cast<int>(state.range(0)), static_cast<int>(state.range(0)));
  ImageDecoder decoder;
  for (auto _ : state) benchmark::DoNotOptimize(decoder.Decode(dir / "a.jpg", "1", "JPG"));
}
BENCHMARK(DecodeJpegInDecoderProcess)->Arg(64)->Arg(2000);

void DecodeJpegInProcess(benchmark::State& state) {
  TempDir dir;
  SaveJpeg(dir / "a.jpg", static_cast<int>(state.range(0)), static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(DecodeInProcess(dir / "a.jpg", "1", "JPG"));
}
BENCHMARK(DecodeJpegInProcess)->Arg(64)->Arg(2000);

}  // namespace

BENCHMARK_MAIN();
