#pragma once
// Reads the files of the folder being scanned ahead of the writer, on worker threads: each worker
// has its own XMP parser and its own decoder process, so files are read, parsed and decoded side
// by side while the writer sends the rows of earlier ones. The writer takes the rows in listing
// order, so rows, log lines and messages come out as they would from one file at a time.

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/FolderKey.h"
#include "core/Settings.h"
#include "metadata/FileRowReader.h"
#include "metadata/ParsingErrorDump.h"

namespace tessarine {

// A thumbnail made while its file was read ahead: written under a hidden name of its own beside
// where it goes, and put in place (a rename) only when the writer takes the file's row. So files
// whose thumbnails share a name (scan.jpg, scan.tif) leave the one of the later file in listing
// order, a thumbnail is never half written, and a file the scan did not take leaves none.
struct PendingThumbnail {
  std::filesystem::path made;   // where the decoder wrote it
  std::filesystem::path final;  // where it goes

  void PutInPlace() const;
  void Discard() const;
};

// One file's row as the scan reads it: metadata, pixel size, file facts, and the thumbnail when
// the settings ask for one. A failure of the reading still gives a row of the file's facts.
class ScanFileReader {
 public:
  // dump: the scan's, shared by its readers; none writes no dump.
  ScanFileReader(const Settings& settings, ParsingErrorDump* dump);
  ~ScanFileReader();
  ScanFileReader(const ScanFileReader&) = delete;
  ScanFileReader& operator=(const ScanFileReader&) = delete;

  // The thumbnail, when one was asked for, waits in `thumbnail` to be put in place.
  FileRow Read(const FolderKey& folder, const std::string& nameBytes, PendingThumbnail& thumbnail);
  // From another thread: gives up the decoding of the file being read now (its row is not wanted).
  void AbortDecoding();

 private:
  struct Tools;
  const Settings& m_settings;
  std::unique_ptr<Tools> m_tools;
};

class ReadAhead {
 public:
  // workers 0: every file is read by the writer when it takes it. The scan's first XMP packet that
  // fails to parse is dumped to parseErrorDumpFile.
  ReadAhead(const Settings& settings, std::filesystem::path parseErrorDumpFile, unsigned workers);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The files the writer will take next, in order; what was queued before is dropped.
  void Queue(const FolderKey& folder, const std::vector<std::string>& nameBytes);
  // The row of the next queued file, once it is read; a file that was not queued next is read here.
  FileRow Take(const FolderKey& folder, const std::string& nameBytes);
  // Drops the queued files: the workers finish the file in hand only.
  void Drop();

  // The default number of workers: one per core.
  static unsigned DefaultWorkers();

 private:
  struct ReadFile {
    FileRow row;
    PendingThumbnail thumbnail;
  };
  // A row is large (166 texts) even when empty: a folder of 10^5 names holds only pointers.
  struct Slot {
    std::string name;
    std::unique_ptr<ReadFile> read;
  };

  // Drops the queue and the thumbnails of files read but not taken; under the lock.
  void DropQueue();

  void Work();

  const Settings& m_settings;
  ParsingErrorDump m_dump;
  std::unique_ptr<ScanFileReader> m_ownReader;  // the writer's, for files read on its thread

  std::mutex m_mutex;
  std::condition_variable m_changed;
  FolderKey m_folder;
  std::vector<Slot> m_slots;
  std::size_t m_nextToRead = 0;   // first slot no worker has taken
  std::size_t m_nextToTake = 0;   // first slot the writer has not taken
  std::size_t m_window;           // how far the workers may read ahead of the writer
  unsigned long m_generation = 0; // counts Queue and Drop: a row read for an older queue is dropped
  bool m_ending = false;
  std::vector<std::thread> m_workers;
  std::vector<ScanFileReader*> m_readers;  // the workers', while they run
};

}  // namespace tessarine
