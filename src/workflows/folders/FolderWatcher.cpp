#include "workflows/folders/FolderWatcher.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "workflows/folders/DirectoryListing.h"

namespace tessarine {
namespace {

constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                                        IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;

// Waits for the descriptor to be readable; false when the time passed first.
bool Readable(int fd, std::chrono::milliseconds timeout) {
  pollfd wanted{fd, POLLIN, 0};
  for (;;) {
    const int ready = ::poll(&wanted, 1, static_cast<int>(std::max<long long>(0, timeout.count())));
    if (ready >= 0) return ready > 0;
    if (errno != EINTR) return false;
  }
}

}  // namespace

bool OnNetworkFileSystem(const std::string& folderBytes) {
  struct statfs info {};
  if (::statfs(folderBytes.c_str(), &info) != 0) return false;
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969UL:      // NFS
    case 0x517BUL:      // SMB
    case 0xFF534D42UL:  // CIFS
    case 0xFE534D42UL:  // SMB2
    case 0x65735546UL:  // FUSE
    case 0x01021997UL:  // 9p
    case 0x00C36400UL:  // Ceph
    case 0x73757245UL:  // Coda
    case 0x564C:        // NCP
      return true;
    default:
      return false;
  }
}

FolderWatcher::FolderWatcher() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatcher::~FolderWatcher() {
  if (m_fd >= 0) ::close(m_fd);
}

bool FolderWatcher::WatchTree(const FolderKey& top) {
  if (m_fd < 0) {
    m_pollReason = std::string("the system gives no folder watches (") + std::strerror(errno) + ")";
    return false;
  }
  if (OnNetworkFileSystem(top.Bytes())) {
    m_pollReason = "it lies on a network file system, whose changes made elsewhere no watch sees";
    return false;
  }
  return AddTree(top.Bytes());
}

bool FolderWatcher::AddTree(const std::string& topBytes) {
  std::vector<std::string> pending{topBytes};
  while (!pending.empty()) {
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    const int wd = ::inotify_add_watch(m_fd, folder.c_str(), kFolderEvents);
    if (wd < 0) {
      if (errno == ENOSPC) {
        m_pollReason = "the system's limit of folder watches is reached (fs.inotify.max_user_watches)";
        m_limitReached = true;
        return false;
      }
      continue;  // gone meanwhile, a link, or unreadable: the scan reports what it cannot read
    }
    m_folders[wd] = folder;
    DirectoryListing listing{std::filesystem::path(folder)};
    for (std::optional<DirectoryEntry> entry; listing.IsOpen() && (entry = listing.Next());) {
      if (entry->kind == EntryKind::Folder && !IsSkippedFolder(entry->name)) pending.push_back(folder + entry->name + "/");
    }
  }
  return true;
}

bool FolderWatcher::ReadEvents(std::set<std::string>& changed) {
  alignas(inotify_event) char buffer[64 * 1024];
  bool any = false;
  for (;;) {
    const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
    if (length <= 0) return any;
    any = true;
    for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(length);) {
      inotify_event event{};
      std::memcpy(&event, buffer + at, sizeof event);
      const std::size_t size = sizeof event + event.len;
      if (at + size > static_cast<std::size_t>(length)) break;
      const char* nameStart = buffer + at + sizeof event;
      const std::string name(nameStart, ::strnlen(nameStart, event.len));
      at += size;
      if (event.mask & IN_Q_OVERFLOW) {
        // Events were lost: every watched folder may have changed.
        for (const auto& [wd, folder] : m_folders) changed.insert(folder);
        continue;
      }
      const auto found = m_folders.find(event.wd);
      if (found == m_folders.end()) continue;
      if (event.mask & IN_IGNORED) {
        m_folders.erase(found);
        continue;
      }
      if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) continue;  // its parent says so
      const std::string folder = found->second;
      changed.insert(folder);
      // A new subfolder is watched from now on; its parent's rescan reaches what it already holds.
      if ((event.mask & IN_ISDIR) && (event.mask & (IN_CREATE | IN_MOVED_TO)) && !IsSkippedFolder(name) &&
          !AddTree(folder + name + "/")) {
        m_limitReached = true;
      }
    }
  }
}

std::set<std::string> FolderWatcher::WaitForChanges(std::chrono::milliseconds timeout,
                                                     std::chrono::milliseconds quiet,
                                                     std::chrono::milliseconds longest,
                                                     const std::function<bool()>& stop) {
  std::set<std::string> changed;
  if (m_fd < 0 || !Readable(m_fd, timeout)) return changed;
  const auto first = std::chrono::steady_clock::now();
  ReadEvents(changed);
  while (!stop()) {
    const auto left = longest - std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - first);
    if (left <= std::chrono::milliseconds(0) || !Readable(m_fd, std::min(quiet, left))) break;
    ReadEvents(changed);
  }
  return changed;
}

}  // namespace tessarine
