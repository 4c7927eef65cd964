#include "metadata/containers/ExifFacts.h"

#include <algorithm>
#include <string>

namespace tessarine {
namespace {

constexpr std::uint64_t kMaxText = 256;

// An ASCII field's text, up to its first zero, trailing spaces cut.
std::string Text(ByteFields& fields, const TiffField& field) {
  if (field.type != 2) return {};
  std::string text = fields.Take(field.valueAt, std::min(field.count, kMaxText), kMaxText).value_or("");
  text = text.substr(0, text.find('\0'));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The n-th value of a RATIONAL or SRATIONAL field; none for a zero denominator.
std::optional<double> Rational(ByteFields& fields, const TiffField& field, std::uint64_t n = 0) {
  if ((field.type != 5 && field.type != 10) || n >= field.count) return std::nullopt;
  const auto numerator = fields.U32(field.valueAt + 8 * n);
  const auto denominator = fields.U32(field.valueAt + 8 * n + 4);
  if (!numerator || !denominator || *denominator == 0) return std::nullopt;
  if (field.type == 10) {
    return static_cast<double>(static_cast<std::int32_t>(*numerator)) / static_cast<std::int32_t>(*denominator);
  }
  return static_cast<double>(*numerator) / *denominator;
}

std::optional<std::uint32_t> Whole(ByteFields& fields, const TiffField& field) {
  if (field.count == 0) return std::nullopt;
  if (field.type == 3) return fields.U16(field.valueAt);
  if (field.type == 4) return fields.U32(field.valueAt);
  return std::nullopt;
}

// "YYYY:MM:DD HH:MM:SS" as "YYYY-MM-DD HH:MM:SS"; empty for anything else (a blank date).
std::string Date(const std::string& text) {
  static constexpr std::string_view kShape = "dddd:dd:dd dd:dd:dd";
  if (text.size() < kShape.size()) return {};
  std::string date = text.substr(0, kShape.size());
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = date[i] >= '0' && date[i] <= '9';
    if (kShape[i] == 'd' ? !digit : date[i] != kShape[i]) return {};
  }
  date[4] = '-';
  date[7] = '-';
  return date;
}

// Degrees, minutes and seconds as decimal degrees.
std::optional<double> Degrees(ByteFields& fields, const TiffField& field) {
  const auto degrees = Rational(fields, field, 0);
  const auto minutes = Rational(fields, field, 1);
  const auto seconds = Rational(fields, field, 2);
  if (!degrees || !minutes || !seconds) return std::nullopt;
  return *degrees + *minutes / 60 + *seconds / 3600;
}

}  // namespace

void ReadExifFact(ByteFields& fields, TiffDirectory directory, const TiffField& field, ExifFacts& facts) {
  switch (directory) {
    case TiffDirectory::Image:
      if (field.tag == 0x010F) facts.make = Text(fields, field);
      if (field.tag == 0x0110) facts.model = Text(fields, field);
      break;
    case TiffDirectory::Exif:
      switch (field.tag) {
        case 0x9003: facts.dateTaken = Date(Text(fields, field)); break;
        case 0x9291: facts.subSecondsTaken = Text(fields, field); break;
        case 0x9011: facts.offsetTaken = Text(fields, field); break;
        case 0xA434: facts.lens = Text(fields, field); break;
        case 0x829A: facts.exposureTime = Rational(fields, field); break;
        case 0x829D: facts.fNumber = Rational(fields, field); break;
        case 0x920A: facts.focalLength = Rational(fields, field); break;
        case 0x8827: facts.iso = Whole(fields, field); break;
        default: break;
      }
      break;
    case TiffDirectory::Gps:
      switch (field.tag) {
        case 1: facts.latitudeReference = Text(fields, field).c_str()[0]; break;
        case 2: facts.latitude = Degrees(fields, field); break;
        case 3: facts.longitudeReference = Text(fields, field).c_str()[0]; break;
        case 4: facts.longitude = Degrees(fields, field); break;
        case 5: facts.altitudeReference = field.type == 1 ? fields.U8(field.valueAt).value_or(0) : 0; break;
        case 6: facts.altitude = Rational(fields, field); break;
        default: break;
      }
      break;
  }
}

void MergeExifFacts(ExifFacts& into, const ExifFacts& from) {
  for (auto text : {&ExifFacts::dateTaken, &ExifFacts::subSecondsTaken, &ExifFacts::offsetTaken, &ExifFacts::make,
                    &ExifFacts::model, &ExifFacts::lens}) {
    if ((into.*text).empty()) into.*text = from.*text;
  }
  for (auto number : {&ExifFacts::focalLength, &ExifFacts::fNumber, &ExifFacts::exposureTime, &ExifFacts::latitude,
                      &ExifFacts::longitude, &ExifFacts::altitude}) {
    if (!(into.*number)) into.*number = from.*number;
  }
  if (!into.iso) into.iso = from.iso;
}

void SignExifPosition(ExifFacts& facts) {
  if (facts.latitude && facts.latitudeReference == 'S') facts.latitude = -*facts.latitude;
  if (facts.longitude && facts.longitudeReference == 'W') facts.longitude = -*facts.longitude;
  if (facts.altitude && facts.altitudeReference == 1) facts.altitude = -*facts.altitude;
}

}  // namespace tessarine
