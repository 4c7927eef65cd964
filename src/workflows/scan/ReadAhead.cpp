#include "workflows/scan/ReadAhead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <exception>

#include "core/NoFollowFile.h"
#include "core/TextDecoding.h"
#include "metadata/FileFacts.h"
#include "metadata/ImageLoader.h"
#include "metadata/XmpParser.h"
#include "workflows/scan/FolderRows.h"
#include "workflows/scan/Thumbnails.h"

namespace tessarine {

struct ScanFileReader::Tools {
  explicit Tools(const Settings& settings, ParsingErrorDump* dump)
      : parser(settings.custom, settings.modernFormats ? XmpParser::Rules::Modern : XmpParser::Rules::Classic),
        context{settings.onlyIptc, &parser, dump, &decoder, settings.modernFormats,
                settings.keepIimWhenXmpMissing, settings.thumbnailsFromPreviews, settings.hashFiles} {}

  XmpParser parser;
  ImageDecoder decoder;
  MetadataReadContext context;
};

ScanFileReader::ScanFileReader(const Settings& settings, ParsingErrorDump* dump)
    : m_settings(settings), m_tools(std::make_unique<Tools>(settings, dump)) {}

ScanFileReader::~ScanFileReader() = default;

namespace {

// The thumbnails' folder, never through a link at its name (see MakeThumbnail).
FileDescriptor ThumbnailFolder(const std::filesystem::path& thumbnail) {
  return OpenFolder(thumbnail.parent_path(), FolderLinks::Refuse);
}

// Something stands at the thumbnail's name in a real thumbnails folder (a link there too).
bool ThumbnailThere(const std::filesystem::path& thumbnail) {
  const FileDescriptor folder = ThumbnailFolder(thumbnail);
  struct stat there {};
  return folder && ::fstatat(folder.Get(), thumbnail.filename().c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace

void PendingThumbnail::PutInPlace() const {
  if (made.empty()) return;
  // Within the folder it was made in: a link at the thumbnail's name is replaced, never followed. A
  // thumbnail the decoder could not write is not there: nothing is put in place.
  const FileDescriptor folder = ThumbnailFolder(made);
  if (!folder || ::renameat(folder.Get(), made.filename().c_str(), folder.Get(), final.filename().c_str()) != 0) {
    Discard();
  }
}

void PendingThumbnail::Discard() const {
  if (made.empty()) return;
  if (const FileDescriptor folder = ThumbnailFolder(made)) ::unlinkat(folder.Get(), made.filename().c_str(), 0);
}

FileRow ScanFileReader::Read(const FolderKey& folder, const std::string& name, PendingThumbnail& pending) {
  pending = {};
  // The thumbnail file to write, when one is wanted: the decoder makes it from the decoded image.
  auto thumbnailWork = [&](const std::string& supportIptc) -> std::string {
    if (!m_settings.createThumbnails || supportIptc == "0") return {};
    std::filesystem::path thumbnail = ThumbnailPath(folder.Bytes(), name, supportIptc);
    if (!m_settings.reCreateThumbnails && ThumbnailThere(thumbnail)) return {};
    static std::atomic<unsigned long> made{0};
    const std::string tag = ".tessarine-" + std::to_string(::getpid()) + "-" + std::to_string(++made);
    std::string hidden = "." + thumbnail.filename().native() + tag;
    // A name near the system's limit has no room for the long hidden one: the tag alone is hidden enough.
    if (hidden.size() > NAME_MAX) hidden = tag;
    pending.final = thumbnail;
    pending.made = thumbnail.parent_path() / hidden;
    return pending.made.native();
  };
  try {
    return ReadFileRow(folder, name, m_tools->context, m_settings.xmpOverIptc, thumbnailWork);
  } catch (const std::exception& error) {
    // The file still gets a row with its file facts; the scan goes on.
    FileRow row;
    row.problems.push_back(std::string("reading failed: ") + error.what());
    if (auto facts = ReadFileFacts(folder.Bytes() + name)) FillFileColumns(*facts, row.columns);
    row.columns[col::Folder] = folder.Text();
    row.columns[col::FileName] = NameToText(name);
    row.columns[col::SupportIPTC] = "0";
    row.columns[col::Checked] = "0";
    return row;
  }
}

void ScanFileReader::AbortDecoding() { m_tools->decoder.Abort(); }

unsigned ReadAhead::DefaultWorkers() { return std::max(1U, std::thread::hardware_concurrency()); }

ReadAhead::ReadAhead(const Settings& settings, std::filesystem::path dumpFile, unsigned workers)
    : m_settings(settings),
      m_dump(std::move(dumpFile)),
      // Room for two batches of rows besides what the workers have in hand: while the writer waits
      // for the server to take one batch, the workers read the next.
      m_window(4 * std::size_t{workers} + 2 + 2 * FolderRows::kRowsPerBatch) {
  // Made first: its parser sets up the XML library once, before any worker uses it.
  m_ownReader = std::make_unique<ScanFileReader>(m_settings, &m_dump);
  for (unsigned i = 0; i < workers; ++i) m_workers.emplace_back([this] { Work(); });
}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard lock(m_mutex);
    m_ending = true;
    DropQueue();
  }
  m_changed.notify_all();
  for (std::thread& worker : m_workers) worker.join();
}

void ReadAhead::DropQueue() {
  ++m_generation;
  // Files a worker is reading now are of this queue: their decoding is given up (a 3 GiB file
  // would hold a Stop for seconds).
  bool reading = false;
  for (std::size_t i = m_nextToTake; i < m_nextToRead && i < m_slots.size(); ++i) reading |= !m_slots[i].read;
  if (reading) {
    for (ScanFileReader* reader : m_readers) reader->AbortDecoding();
  }
  for (const Slot& slot : m_slots) {
    if (slot.read) slot.read->thumbnail.Discard();
  }
  m_slots.clear();
  m_nextToRead = 0;
  m_nextToTake = 0;
}

void ReadAhead::Queue(const FolderKey& folder, const std::vector<std::string>& names) {
  {
    std::lock_guard lock(m_mutex);
    DropQueue();
    m_folder = folder;
    m_slots.reserve(names.size());
    for (const std::string& name : names) m_slots.push_back({name, nullptr});
  }
  m_changed.notify_all();
}

void ReadAhead::Drop() {
  {
    std::lock_guard lock(m_mutex);
    DropQueue();
  }
  m_changed.notify_all();
}

FileRow ReadAhead::Take(const FolderKey& folder, const std::string& name) {
  {
    std::unique_lock lock(m_mutex);
    const bool queued = !m_workers.empty() && m_nextToTake < m_slots.size() && m_folder == folder &&
                        m_slots[m_nextToTake].name == name;
    if (queued) {
      const std::size_t slot = m_nextToTake;
      m_changed.wait(lock, [&] { return m_slots[slot].read != nullptr; });
      const std::unique_ptr<ReadFile> read = std::move(m_slots[slot].read);
      ++m_nextToTake;
      lock.unlock();
      m_changed.notify_all();  // a worker may read one more ahead
      read->thumbnail.PutInPlace();
      return std::move(read->row);
    }
  }
  PendingThumbnail thumbnail;
  FileRow row = m_ownReader->Read(folder, name, thumbnail);
  thumbnail.PutInPlace();
  return row;
}

void ReadAhead::Work() {
  ScanFileReader reader(m_settings, &m_dump);
  std::unique_lock lock(m_mutex);
  m_readers.push_back(&reader);
  for (;;) {
    m_changed.wait(lock, [&] {
      return m_ending || (m_nextToRead < m_slots.size() && m_nextToRead < m_nextToTake + m_window);
    });
    if (m_ending) {
      std::erase(m_readers, &reader);
      return;
    }
    const std::size_t slot = m_nextToRead++;
    const unsigned long generation = m_generation;
    const FolderKey folder = m_folder;
    const std::string name = m_slots[slot].name;
    lock.unlock();
    auto read = std::make_unique<ReadFile>();
    read->row = reader.Read(folder, name, read->thumbnail);
    lock.lock();
    if (generation == m_generation) {
      m_slots[slot].read = std::move(read);
      m_changed.notify_all();
    } else {
      read->thumbnail.Discard();  // the queue it was read for is gone
    }
  }
}

}  // namespace tessarine
