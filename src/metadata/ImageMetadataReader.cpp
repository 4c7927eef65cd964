#include "metadata/ImageMetadataReader.h"

#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <vector>

#include "core/FileSystemFaults.h"
#include "metadata/IimDecoder.h"
#include "metadata/RegularFile.h"
#include "metadata/XmpParser.h"

namespace tessarine {
namespace {

// Reads up to count bytes at offset into buffer; returns how many were read.
std::size_t ReadFully(int fd, std::uint8_t* buffer, std::size_t count, off_t offset) {
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::pread(fd, buffer + done, count - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void WriteDump(const std::filesystem::path& file, const std::string& packet) {
  if (file.empty()) return;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(packet.data(), static_cast<std::streamsize>(packet.size()));
  out.put('\n');
}

void ReadXmp(Bytes bytes, bool isJpeg, const MetadataReadContext& context, MetadataRecord& record) {
  if (context.onlyIptc || context.parser == nullptr) return;
  std::optional<std::string> packet = FindXmpPacket(bytes, isJpeg);
  if (!packet) {
    record.xmpState = XmpState::NoPacket;
    return;
  }
  if (auto error = context.parser->Read(*packet, record)) {
    record.xmpState = XmpState::ParseError;
    // Nothing of a packet that failed is kept.
    record.xmp = ColumnValues();
    record.copyrightStatus = 0;
    record.custom = {};
    const std::string message = ParseErrorMessage(*error);
    record.problems.push_back(message);
    record.alerts.push_back({ReadAlert::Kind::XmpParseError, message});
    WriteDump(context.dumpFile, *packet);
    return;
  }
  record.xmpState = XmpState::Parsed;
}

}  // namespace

std::string UpperExtension(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string ext(fileName.substr(dot + 1));
  for (char& c : ext) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return ext;
}

void ReadImageMetadataFromBytes(Bytes bytes, std::string_view ext, const MetadataReadContext& context,
                                MetadataRecord& record) {
  record.Clear();
  if (bytes.empty()) return;
  record.supportIptc = SupportCode(bytes, ext);
  if (record.supportIptc == "0") return;

  IimSearch iim = FindIimBlock(bytes);
  if (iim.truncated) record.problems.push_back("IIM resource cut off by the end of the file");
  if (iim.block) DecodeIim(bytes, *iim.block, record);

  ReadXmp(bytes, record.supportIptc == "1", context, record);
}

void ReadImageMetadata(const std::filesystem::path& path, std::string_view ext, const MetadataReadContext& context,
                       MetadataRecord& record) {
  record.Clear();
  if (const int fault = InjectedFileSystemFault("open", path.native())) {
    record.openError = fault;
    return;
  }
  const RegularFile file(path);
  if (!file.IsOpen()) {
    record.openError = file.Error();
    record.openProblem = file.Problem();
    return;
  }
  if (file.Size() < 1) return;
  const auto size = static_cast<std::size_t>(file.Size());
  const int fd = file.Descriptor();

  // The first two bytes decide whether the file is searched at all.
  std::vector<std::uint8_t> buffer(std::min<std::size_t>(size, 2));
  buffer.resize(ReadFully(fd, buffer.data(), buffer.size(), 0));
  if (SupportCode(buffer, ext) == "0") {
    record.supportIptc = "0";
    return;
  }

  buffer.resize(size);
  const std::size_t read = ReadFully(fd, buffer.data(), size, 0);
  std::vector<std::string> problems;
  std::vector<ReadAlert> alerts;
  if (read != size) {
    buffer.resize(read);
    problems.push_back("Short read: " + std::to_string(read) + " of " + std::to_string(size) + " bytes");
    alerts.push_back({ReadAlert::Kind::ReadError, "Error reading file ..."});
  }
  ReadImageMetadataFromBytes(buffer, ext, context, record);
  record.problems.insert(record.problems.begin(), problems.begin(), problems.end());
  record.alerts.insert(record.alerts.begin(), alerts.begin(), alerts.end());
}

}  // namespace tessarine
