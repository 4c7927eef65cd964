#include "metadata/ParsingErrorDump.h"

#include <sys/stat.h>

#include <string>

#include "core/NoFollowFile.h"

namespace tessarine {

void ParsingErrorDump::Write(std::string_view packet) {
  if (m_file.empty() || m_taken.exchange(true)) return;
  const FileDescriptor folder = OpenFolder(m_file.has_parent_path() ? m_file.parent_path() : ".", FolderLinks::Follow);
  if (!folder) return;
  const FileDescriptor dump = OpenToOverwrite(folder.Get(), m_file.filename().string(), S_IRUSR | S_IWUSR);
  // A dump an older version left readable by others is narrowed before the packet goes in.
  if (!dump || ::fchmod(dump.Get(), S_IRUSR | S_IWUSR) != 0) return;
  if (WriteAll(dump.Get(), packet)) WriteAll(dump.Get(), "\n");
}

}  // namespace tessarine
