#include "workflows/verify/ProvenGone.h"

namespace tessarine {

void ProvenGone::Listed(const std::string& folderKey, std::set<std::string> entryKeys) {
  m_listed[folderKey] = std::move(entryKeys);
}

bool ProvenGone::FileGone(const std::string& folderKey) const {
  if (m_listed.contains(folderKey)) return true;
  // The nearest folder above that was listed completely decides.
  for (std::size_t end = folderKey.size() > 1 ? folderKey.rfind('/', folderKey.size() - 2) : std::string::npos;
       end != std::string::npos; end = end > 0 ? folderKey.rfind('/', end - 1) : std::string::npos) {
    const std::string ancestor = folderKey.substr(0, end + 1);
    const auto listed = m_listed.find(ancestor);
    if (listed == m_listed.end()) continue;
    const std::size_t next = folderKey.find('/', ancestor.size());
    return !listed->second.contains(folderKey.substr(ancestor.size(), next - ancestor.size()));
  }
  return false;
}

}  // namespace tessarine
