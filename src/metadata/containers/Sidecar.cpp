#include "metadata/containers/Sidecar.h"

#include <algorithm>
#include <unordered_set>

#include "metadata/ByteSource.h"
#include "metadata/ByteWindow.h"
#include "metadata/RegularFile.h"
#include "metadata/containers/ByteFields.h"
#include "metadata/containers/XmpMerge.h"
#include "metadata/containers/XmpText.h"

namespace tessarine {
namespace {

std::string Stem(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

bool HasSidecarExtension(const std::string& name) {
  if (name.size() < 5) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".xmp";
}

std::vector<std::string> SidecarNames(const std::string& name) {
  std::vector<std::string> names;
  for (const std::string& base : {Stem(name), name}) {
    for (const char* ext : {".xmp", ".XMP"}) {
      std::string candidate = base + ext;
      if (candidate != name && std::find(names.begin(), names.end(), candidate) == names.end()) {
        names.push_back(std::move(candidate));
      }
    }
  }
  return names;
}

bool IsSidecarOf(const std::string& name, const std::vector<std::string>& names) {
  if (!HasSidecarExtension(name)) return false;
  const std::string base = name.substr(0, name.size() - 4);  // "a" of "a.xmp", "a.jpg" of "a.jpg.xmp"
  return std::any_of(names.begin(), names.end(), [&](const std::string& other) {
    return other != name && !HasSidecarExtension(other) && (other == base || Stem(other) == base);
  });
}

std::vector<std::string> SetAsideSidecars(std::vector<std::string>& names) {
  std::unordered_set<std::string> images;
  std::unordered_set<std::string> stems;
  for (const std::string& name : names) {
    if (HasSidecarExtension(name)) continue;
    images.insert(name);
    stems.insert(Stem(name));
  }
  std::vector<std::string> sidecars;
  std::erase_if(names, [&](const std::string& name) {
    if (!HasSidecarExtension(name)) return false;
    const std::string base = name.substr(0, name.size() - 4);  // "a" of "a.xmp", "a.jpg" of "a.jpg.xmp"
    if (!images.contains(base) && !stems.contains(base)) return false;
    sidecars.push_back(name);
    return true;
  });
  return sidecars;
}

void ReadSidecarIfNoPacket(const std::filesystem::path& path, const MetadataReadContext& context, MetadataRecord& record) {
  if (context.onlyIptc || context.parser == nullptr) return;
  if (record.xmpState == XmpState::Parsed || record.xmpState == XmpState::ParseError) return;
  const std::string name = path.filename().native();
  if (HasSidecarExtension(name)) return;
  for (const std::string& sidecarName : SidecarNames(name)) {
    const std::filesystem::path sidecar = path.parent_path() / sidecarName;
    const RegularFile file(sidecar);
    if (!file.IsOpen()) continue;
    if (file.Size() > kMaxHeldXmp) {
      record.problems.push_back("sidecar " + sidecarName + " too large to read");
      return;
    }
    const FileByteSource source(file.Descriptor());
    ByteWindow window(source, file.Size());
    std::string bytes;
    try {
      window.AppendTo(0, file.Size(), bytes);
    } catch (const ShortRead& shortRead) {
      record.problems.push_back("sidecar " + sidecarName + ": short read at " + std::to_string(shortRead.at));
      return;
    }
    ParseXmpInto(*context.parser, XmpAsUtf8(bytes), record, "sidecar " + sidecarName);
    return;
  }
}

}  // namespace tessarine
