// The pixel size a scan stores comes from the image's header alone. These tests hold it against a
// full decode, on images of many kinds and on damaged copies of them. Damaged images are decoded
// in a decoder process, as a scan decodes them: the image library does not survive all of them.

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "metadata/ImageLoader.h"
#include "metadata/ImageMetadataReader.h"
#include "support/Corpus.h"
#include "support/FaultyDecoder.h"
#include "support/TestImages.h"

namespace tessarine {
namespace {

struct Sample {
  std::string name;
  std::string bytes;
};

std::string SupportOf(const std::string& bytes, const std::string& name) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xD8') return "1";
  const std::string ext = UpperExtension(name);
  return ext == "TIF" || ext == "TIFF" || ext == "PSD" ? "2" : "0";
}

// Images the library writes, and more kinds made by ImageMagick when it is installed.
std::vector<Sample> MadeSamples(const test::TempDir& dir) {
  std::vector<Sample> samples;
  auto add = [&](const std::string& name) {
    if (std::filesystem::exists(dir / name)) samples.push_back({name, test::ReadFile(dir / name)});
  };
  if (test::SaveImage(dir / "noise.jpg", FIF_JPEG, 64, 48)) add("noise.jpg");
  if (test::SaveImage(dir / "odd.jpg", FIF_JPEG, 333, 17)) add("odd.jpg");
  if (test::SaveImage(dir / "noise.tif", FIF_TIFF, 40, 30)) add("noise.tif");
  if (std::system("command -v convert >/dev/null 2>&1") == 0) {
    const std::string at = dir.path().string() + "/";
    const char* commands[][2] = {
        {"-size 48x40 gradient:red-blue -colorspace gray", "grey.jpg"},
        {"-size 48x40 gradient:red-blue -colorspace cmyk", "cmyk.jpg"},
        {"-size 64x40 gradient:red-blue -interlace plane", "progressive.jpg"},
        {"-size 64x40 gradient:red-blue -sampling-factor 2x2", "subsampled.jpg"},
        {"-size 30x20 gradient:red-blue -depth 16", "deep.tif"},
        {"-size 30x20 gradient:red-blue -compress lzw", "lzw.tif"},
        {"-size 30x20 gradient:red-blue -compress zip", "zip.tif"},
        {"-size 30x20 gradient:red-blue -compress jpeg", "jpeg.tif"},
        {"-size 30x20 xc:white -monochrome", "bilevel.tif"},
        {"-size 30x20 gradient:red-blue", "plain.psd"},
        {"-size 30x20 gradient:red-blue -colorspace gray", "grey.psd"},
        {"-size 30x20 gradient:red-blue -compress rle", "rle.psd"},
    };
    for (const auto& [options, name] : commands) {
      if (std::system(("convert " + std::string(options) + " '" + at + name + "' 2>/dev/null").c_str()) == 0) add(name);
    }
  }
  return samples;
}

// Damaged copies: cut at many lengths, and bytes changed at random, most of them in the header.
std::vector<std::string> Variants(const std::string& bytes, unsigned seed) {
  std::vector<std::string> variants{bytes};
  for (std::size_t cut = 0; cut < bytes.size(); cut += cut < 400 ? 13 : bytes.size() / 25 + 1) {
    variants.push_back(bytes.substr(0, cut));
  }
  std::mt19937 random(seed);
  for (int i = 0; i < 120 && !bytes.empty(); ++i) {
    std::string changed = bytes;
    const std::size_t reach = i % 3 == 0 ? bytes.size() : std::min<std::size_t>(bytes.size(), 600);
    for (int n = 0; n < 1 + i % 3; ++n) changed[random() % reach] = static_cast<char>(random());
    variants.push_back(std::move(changed));
  }
  return variants;
}

// Where the full decode gives a size, the scan's gives the same. Where it gives none, only a JPEG
// whose header is sound but whose image data is broken may have a size: the one its header declares.
TEST(PixelSize, FromTheHeaderIsTheSizeOfTheFullDecode) {
  test::TempDir dir;
  std::vector<Sample> samples = MadeSamples(dir);
  ASSERT_GE(samples.size(), 3U);
  // The sample files of the shared corpus, when it is there (the test never depends on it).
  for (const auto& path : test::CorpusFiles()) samples.push_back({path.filename().string(), test::ReadFile(path)});

  // Its work reports the size of the full decode: "work saw <width>x<height>".
  ImageDecoder decoder(test::FaultyDecoderProgram(), std::chrono::seconds(20));
  int compared = 0;
  int declaredOnly = 0;
  int died = 0;
  unsigned seed = 1;
  for (const Sample& sample : samples) {
    const bool damage = sample.bytes.size() < 256 * 1024;  // big corpus files: as they are
    for (const std::string& variant : damage ? Variants(sample.bytes, seed++) : std::vector{sample.bytes}) {
      const std::string support = SupportOf(variant, sample.name);
      if (support == "0") continue;
      const std::string ext = UpperExtension(sample.name);
      const auto path = dir / ("v." + ext);
      test::WriteFile(path, variant);
      const ScanImage image = decoder.Decode(path, support, ext, "size");
      if (image.problem.starts_with("the image decoder")) {
        ++died;  // the library gave up on it: no size either way
        continue;
      }
      ++compared;
      const std::string label = sample.name + " (" + std::to_string(variant.size()) + " bytes)";
      if (image.problem.starts_with("work saw ")) {
        EXPECT_EQ("work saw " + image.width + "x" + image.height, image.problem) << label;
      } else if (image.width != "0" || image.height != "0") {
        ++declaredOnly;
        std::cout << label << ": sized by its header only\n";
        EXPECT_EQ(support, "1") << label << ": a size although the image cannot be decoded";
      }
    }
  }
  std::cout << compared << " files compared, " << declaredOnly << " JPEGs with broken data sized by their header, "
            << died << " that the image library did not survive\n";
}

}  // namespace
}  // namespace tessarine
