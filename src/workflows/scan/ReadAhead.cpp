#include "workflows/scan/ReadAhead.h"

#include <exception>

#include "core/TextDecoding.h"
#include "metadata/FileFacts.h"
#include "metadata/ImageLoader.h"
#include "metadata/XmpParser.h"
#include "workflows/scan/Thumbnails.h"

namespace tessarine {

struct ScanFileReader::Tools {
  explicit Tools(const Settings& settings, const std::filesystem::path& dumpFile)
      : parser(settings.custom), context{settings.onlyIptc, &parser, dumpFile, &decoder} {}

  XmpParser parser;
  ImageDecoder decoder;
  MetadataReadContext context;
};

ScanFileReader::ScanFileReader(const Settings& settings, const std::filesystem::path& dumpFile)
    : m_settings(settings), m_tools(std::make_unique<Tools>(settings, dumpFile)) {}

ScanFileReader::~ScanFileReader() = default;

FileRow ScanFileReader::Read(const FolderKey& folder, const std::string& name) {
  // The thumbnail file to write, when one is wanted: the decoder makes it from the decoded image.
  auto thumbnailWork = [&](const std::string& supportIptc) -> std::string {
    if (!m_settings.createThumbnails || supportIptc == "0") return {};
    std::filesystem::path thumbnail = ThumbnailPath(folder.Bytes(), name, supportIptc);
    std::error_code ec;
    if (!m_settings.reCreateThumbnails && std::filesystem::exists(thumbnail, ec)) return {};
    return thumbnail.native();
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

unsigned ReadAhead::DefaultWorkers() { return std::max(1U, std::thread::hardware_concurrency()); }

ReadAhead::ReadAhead(const Settings& settings, std::filesystem::path dumpFile, unsigned workers)
    : m_settings(settings), m_dumpFile(std::move(dumpFile)), m_window(4 * std::size_t{workers} + 2) {
  // Made first: its parser sets up the XML library once, before any worker uses it.
  m_ownReader = std::make_unique<ScanFileReader>(m_settings, m_dumpFile);
  for (unsigned i = 0; i < workers; ++i) m_workers.emplace_back([this] { Work(); });
}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard lock(m_mutex);
    m_ending = true;
    ++m_generation;
  }
  m_changed.notify_all();
  for (std::thread& worker : m_workers) worker.join();
}

void ReadAhead::Queue(const FolderKey& folder, const std::vector<std::string>& names) {
  {
    std::lock_guard lock(m_mutex);
    ++m_generation;
    m_folder = folder;
    m_slots.clear();
    m_slots.reserve(names.size());
    for (const std::string& name : names) m_slots.push_back({name, std::nullopt});
    m_nextToRead = 0;
    m_nextToTake = 0;
  }
  m_changed.notify_all();
}

void ReadAhead::Drop() {
  {
    std::lock_guard lock(m_mutex);
    ++m_generation;
    m_slots.clear();
    m_nextToRead = 0;
    m_nextToTake = 0;
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
      m_changed.wait(lock, [&] { return m_slots[slot].row.has_value(); });
      FileRow row = std::move(*m_slots[slot].row);
      m_slots[slot].row.reset();
      ++m_nextToTake;
      lock.unlock();
      m_changed.notify_all();  // a worker may read one more ahead
      return row;
    }
  }
  return m_ownReader->Read(folder, name);
}

void ReadAhead::Work() {
  ScanFileReader reader(m_settings, m_dumpFile);
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [&] {
      return m_ending || (m_nextToRead < m_slots.size() && m_nextToRead < m_nextToTake + m_window);
    });
    if (m_ending) return;
    const std::size_t slot = m_nextToRead++;
    const unsigned long generation = m_generation;
    const FolderKey folder = m_folder;
    const std::string name = m_slots[slot].name;
    lock.unlock();
    FileRow row = reader.Read(folder, name);
    lock.lock();
    if (generation == m_generation) {
      m_slots[slot].row = std::move(row);
      m_changed.notify_all();
    }
  }
}

}  // namespace tessarine
