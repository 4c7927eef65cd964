#include "workflows/scan/FileCount.h"

#include "workflows/folders/FolderWalk.h"

namespace tessarine {
namespace {

class FileCounter final : public FolderVisitor {
 public:
  explicit FileCounter(const std::function<bool()>& stopRequested) : m_stopRequested(stopRequested) {}

  long long Files() const { return m_files; }

 private:
  bool Stopped() const override { return m_stopRequested && m_stopRequested(); }
  bool EnterFolder(const FolderKey&) override { return true; }
  void FilesListed(const FolderKey&, const std::vector<std::string>& names) override {
    m_files += static_cast<long long>(names.size());
  }
  bool VisitFile(const FolderKey&, const std::string&) override { return true; }
  bool LeaveFolder(const FolderKey&, const FolderListing&) override { return true; }
  void FolderUnreadable(const FolderKey&, int) override {}

  const std::function<bool()>& m_stopRequested;
  long long m_files = 0;
};

}  // namespace

long long CountFilesToScan(const std::vector<FolderKey>& folders, const std::function<bool()>& stopRequested,
                           const WalkRules& rules) {
  FileCounter counter(stopRequested);
  for (const FolderKey& folder : folders) {
    if (stopRequested && stopRequested()) break;
    WalkFolder(folder, counter, rules);
  }
  return counter.Files();
}

}  // namespace tessarine
