// A rescan replaces rows only as files are read, and deletes only rows whose files it proved gone:
// whatever ends it early, and whatever it cannot read, every file keeps a row. On each real
// database; the folder retry on the embedded one, the full disk on PostgreSQL.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>

#include "catalogue/FolderLockTable.h"
#include "catalogue/OdbcHandle.h"
#include "metadata/ImageBytes.h"
#include "workflows/CatalogueFixture.h"
#include "workflows/connection/OpenCatalogue.h"

namespace tessarine {
namespace {

using namespace test;

// The file-system faults of a test: a call fails with `error` for paths that contain `part`.
struct Fault {
  std::string call;
  std::string part;
  int error = 0;
};
std::vector<Fault> g_faults;

int InjectFaults(std::string_view call, std::string_view path) {
  for (const Fault& fault : g_faults) {
    if (call == fault.call && path.find(fault.part) != std::string_view::npos) return fault.error;
  }
  return 0;
}

// Replaces r0.txt by a FIFO as it is about to be opened, as another process could between the
// folder listing and the read.
int ReplaceByFifoOnOpen(std::string_view call, std::string_view path) {
  if (call == "open" && path.ends_with("/r0.txt")) {
    const std::string file(path);
    ::unlink(file.c_str());
    ::mkfifo(file.c_str(), 0600);
  }
  return 0;
}

class RescanSafety : public CatalogueFixture {
 protected:
  void SetUp() override {
    CatalogueFixture::SetUp();
    if (IsSkipped() || HasFailure()) return;
    m_entries = AddAndLoad(m_root);
    ScanTheTree();
  }

  // The root holds two files and three subfolders of four files each, all scanned.
  void ScanTheTree() {
    std::filesystem::remove_all(m_root);
    std::filesystem::create_directories(m_root);
    WriteFile(m_root / "r0.txt", "r0");
    WriteFile(m_root / "r1.txt", "r1");
    for (const char* sub : {"s1", "s2", "s3"}) {
      std::filesystem::create_directories(m_root / sub);
      for (int i = 0; i < 4; ++i) WriteFile(m_root / sub / ("f" + std::to_string(i) + ".txt"), sub);
    }
    ASSERT_TRUE(Scan(m_entries).status) << DescribeMessages();
    ASSERT_EQ(RowCount(), 14);
  }

  void TearDown() override {
    SetFileSystemFaultHook(nullptr);
    g_faults.clear();
    CatalogueFixture::TearDown();
  }

  // The folders-table row of the root: its count and its time.
  std::string FolderRow() {
    return Scalar("select Files from " + m_settings.folders) + "|" + Scalar("select LastScan from " + m_settings.folders);
  }
  std::string R0Stamp() { return Scalar("select ModifyTime from " + m_settings.images + " where FileName='r0.txt';"); }

  std::vector<FolderEntry> m_entries;
};
TESSARINE_ON_EVERY_DATABASE(RescanSafety);

TEST_P(RescanSafety, ALostConnectionEndsTheScanWithOneMessageAndLosesNoRow) {
  if (GetParam() == "SQLite") GTEST_SKIP() << "an embedded file has no connection to lose";
  const std::string folderRow = FolderRow();
  const bool postgres = GetParam() == "PostgreSQL";
  const std::string ownId = postgres ? "select pg_backend_pid();" : "select connection_id();";
  ScanHooks hooks;
  hooks.progress = [&](const ScanProgress& progress) {
    if (progress.filesDone != 5) return;
    // The scan's own server session is ended from another connection, in the middle of a folder.
    const std::string id = connection.ExecuteStatement(ownId)->FieldValue(0).value_or("");
    CatalogueConnection killer;
    killer.OpenConnection(DataSourceOf(m_settings, false));
    killer.ExecuteStatement(postgres ? "select pg_terminate_backend(" + id + ");" : "kill " + id + ";");
  };
  port.messages.clear();
  const ScanResult result = Scan(m_entries, hooks);
  EXPECT_FALSE(result.status);
  EXPECT_EQ(port.messages.size(), 1u) << DescribeMessages();
  EXPECT_EQ(RowCount(), 14);
  EXPECT_EQ(FolderRow(), folderRow);
}

// A fault of the disk met by the rescan, and what the rescan must leave: the rows of each place
// ("" the whole table, "s1/" a folder, "s1/f0.txt" a file), what it counts, and the problems it
// tells (one each, holding these texts after the root's path).
struct DiskFault {
  const char* what;
  std::function<void(const std::filesystem::path& root)> change;
  std::vector<Fault> faults;
  FileSystemFaultHook hook;
  long long unreadable;
  long long unreachable;
  std::vector<std::pair<std::string, long long>> rows;
  std::vector<std::string> told;
  long long committed;  // -1: not counted here
  bool r0Unread;        // r0.txt's row must be kept as it was
};

void Remove(const std::filesystem::path& path) { std::filesystem::remove_all(path); }

TEST_P(RescanSafety, OnlyFilesAndFoldersProvenGoneLoseTheirRows) {
  const auto awayAndBack = [this](bool empty) {
    return [this, empty](const std::filesystem::path& root) {
      std::filesystem::rename(root, m_tree.path() / "moved away");
      if (empty) std::filesystem::create_directories(root);  // an empty mount point
    };
  };
  const DiskFault cases[] = {
      {"gone files and folders, a folder that cannot be listed",
       [](const auto& root) {
         Remove(root / "s1" / "f0.txt");
         Remove(root / "s3");
         WriteFile(root / "s1" / "new.txt", "new");
       },
       {{"opendir", "/s2/", EACCES}}, nullptr, 1, 0,
       {{"", 10}, {"s2/", 4}, {"s3/", 0}, {"s1/f0.txt", 0}, {"s1/new.txt", 1}}, {"s2/"}, -1, false},
      {"a listing broken off", [](const auto& root) { Remove(root / "s1" / "f3.txt"); }, {{"readdir", "/s1/", EIO}},
       nullptr, 1, 0, {{"s1/", 4}}, {"s1/"}, -1, false},
      {"a file that cannot be opened, one gone since the listing", nullptr,
       {{"open", "/r0.txt", EACCES}, {"open", "/r1.txt", ENOENT}}, nullptr, 1, 0, {{"r0.txt", 1}, {"r1.txt", 0}},
       {"r0.txt", "r1.txt"}, 12, true},
      {"a file replaced by a FIFO after the listing", nullptr, {}, ReplaceByFifoOnOpen, 1, 0, {{"r0.txt", 1}},
       {"r0.txt: not a regular file (a FIFO)"}, 13, true},
      // Folders listed by a file system that does not tell entry types: entries looked at one by
      // one, a FIFO is neither a file nor a folder.
      {"a listing without entry types", [](const auto& root) { ASSERT_EQ(::mkfifo((root / "pipe").c_str(), 0600), 0); },
       {{"no entry type", "/", 1}}, nullptr, 0, 0, {{"", 14}, {"s1/", 4}}, {}, 14, false},
      {"the listed folder missing", awayAndBack(false), {}, nullptr, 0, 1, {{"", 14}}, {""}, 0, false},
      {"the listed folder empty", awayAndBack(true), {}, nullptr, 0, 1, {{"", 14}}, {""}, 0, false},
  };
  for (const DiskFault& fault : cases) {
    SCOPED_TRACE(fault.what);
    Remove(m_tree.path() / "moved away");
    ScanTheTree();
    const std::string r0 = R0Stamp();
    const std::string folderRow = FolderRow();
    if (fault.change) fault.change(m_root);
    g_faults = fault.faults;
    SetFileSystemFaultHook(fault.hook ? fault.hook : InjectFaults);
    m_problems.clear();
    const ScanResult result = Scan(m_entries);
    SetFileSystemFaultHook(nullptr);
    g_faults.clear();

    EXPECT_TRUE(result.status) << DescribeMessages();
    EXPECT_EQ(result.unreadable, fault.unreadable);
    EXPECT_EQ(result.unreachable, fault.unreachable);
    if (fault.committed >= 0) {
      EXPECT_EQ(result.files, fault.committed);
    }
    for (const auto& [place, rows] : fault.rows) {
      const std::size_t slash = place.rfind('/');
      const bool file = !place.empty() && slash != place.size() - 1;
      const std::filesystem::path folder = m_root / place.substr(0, slash == std::string::npos ? 0 : slash);
      EXPECT_EQ(place.empty() ? RowCount() : RowCount(folder, file ? place.substr(slash + 1) : ""), rows) << place;
    }
    // A row kept is kept as it was, and a listed folder that was not reached keeps its count and time.
    if (fault.r0Unread) {
      EXPECT_EQ(R0Stamp(), r0);
    }
    if (fault.unreachable > 0) {
      EXPECT_EQ(result.entries.at(0).status, "Unreachable");
      EXPECT_EQ(FolderRow(), folderRow);
    }
    EXPECT_EQ(m_problems.size(), fault.told.size()) << ::testing::PrintToString(m_problems);
    for (const std::string& text : fault.told) {
      EXPECT_TRUE(std::any_of(m_problems.begin(), m_problems.end(),
                              [&](const std::string& p) { return p.find(Text(m_root) + text) != std::string::npos; }))
          << text;
    }
  }
}

// Two names that read as the same text: the second cannot have a row of its own. A path longer
// than the servers' key columns hold can never have a row there: the check lists its photo apart,
// never as a file to delete.
TEST_P(RescanSafety, ARowThatCannotBeWrittenIsLoggedAndTheFolderAndItsSubfoldersGoOn) {
  WriteFile(m_root / "caf\xE9.txt", "latin");
  WriteFile(m_root / "caf\xC3\xA9.txt", "utf-8");
  const std::filesystem::path deep = m_root / std::string(150, 'd') / std::string(150, 'e');
  std::filesystem::create_directories(deep);
  WriteFile(deep / "deep.txt", "x");
  WriteFile(deep / "deeper.txt", "x");
  const bool limited = GetParam() != "SQLite";
  std::filesystem::remove(m_root / "s1" / "f0.txt");
  const ScanResult result = Scan(m_entries);
  EXPECT_TRUE(result.status) << DescribeMessages();
  EXPECT_EQ(result.failedRows, limited ? 3 : 1);
  EXPECT_EQ(m_problems.size(), limited ? 3U : 1U);
  for (const std::string& problem : m_problems) EXPECT_NE(problem.find(Text(m_root)), std::string::npos) << problem;
  // Every other file has its row, the gone one none, and the folders go on after the failure.
  EXPECT_EQ(RowCount(), limited ? 14 : 16);
  EXPECT_EQ(RowCount(m_root / "s3"), 4);
  EXPECT_NE(Scalar("select LastScan from " + m_settings.folders), "");
  const CheckResult check = Check();
  ASSERT_TRUE(check.status) << DescribeMessages();
  EXPECT_EQ(check.notCatalogued.size(), limited ? 2U : 0U);
  EXPECT_TRUE(check.filesWithoutLines.empty());
}

// A scan refused at its start changes nothing: another scan or check holds the catalogue. Who holds
// it: the process on PostgreSQL and SQLite, the connection on MariaDB. On a server, a holder whose
// heartbeat stopped long ago is taken over, and the scan says so (its next beat is minutes away).
TEST_P(RescanSafety, ABusyCatalogueChangesNothing) {
  std::filesystem::remove_all(m_root / "s3");
  m_settings.staleLockSeconds = 3600;
  CatalogueConnection other;
  RecordingUserPort otherPort;
  ASSERT_TRUE(OpenCatalogueToChange(other, otherPort, m_settings, false)) << otherPort.LastStatus();
  ASSERT_TRUE(Scan(m_entries).status.Is(ErrorKind::Busy));
  const std::string who = "process " + std::to_string(::getpid());
  EXPECT_NE(port.messages.back().text.find(who), std::string::npos) << port.messages.back().text;
  EXPECT_NE(port.messages.back().text.find("Nothing was changed"), std::string::npos);
  EXPECT_EQ(RowCount(), 14);
  if (Db().kind == DbmsKind::Sqlite) return;  // its lock is the file's, given back when its holder ends
  other.SendStatement(std::string("update ") + kFolderLockTable + " set heartbeat = heartbeat - 100000 where catalogue = '" +
                      m_settings.images + "';");
  ASSERT_TRUE(Scan(m_entries).status) << DescribeMessages();
  EXPECT_NE(DescribeMessages().find("Lock taken over from "), std::string::npos) << DescribeMessages();
  EXPECT_EQ(RowCount(), 10);
}

// The folder retry, proven on every run: the server's refusals of a folder's transaction (a
// serialization failure, a deadlock known by its native code only, a refused commit) are put in
// through the ODBC call hook at a chosen point of the folder's walk, on the embedded database. A
// refused folder is walked again after a pause, up to three times; then its changes stay rolled
// back and the scan says so. The same on a real cluster is GaleraScaleOut's.

// The refusal the hook throws, on which call, after which file of the walk, and how many times.
struct Refusal {
  const char* what;
  // "SQLExecute": the next row written; "SQLExecDirect": the folder's commit; "SQLPrepare": the next
  // statement of a text not sent before.
  const char* call;
  long long afterFile;
  long nativeError;
  const char* sqlState;
  int times;
};

struct Injection {
  const Refusal* refusal = nullptr;
  bool armed = false;
  int left = 0;
};
Injection g_injection;

SQLRETURN RefuseWhenArmed(const char* call, SQLRETURN result) {
  Injection& i = g_injection;
  if (i.armed && i.left > 0 && std::string_view(call) == i.refusal->call) {
    i.armed = false;
    --i.left;
    throw DatabaseError(i.refusal->nativeError, i.refusal->sqlState, std::string(i.refusal->what) + " (injected)");
  }
  return result;
}

class ScanRetry : public CatalogueFixture {
 protected:
  void TearDown() override {
    SetOdbcCallHook(nullptr);
    CatalogueFixture::TearDown();
  }

  // Scans the entries with the refusal thrown, armed whenever `armedAt` says so of the progress (by
  // default, once the refusal's file is done); every refusal planned was thrown.
  ScanResult ScanRefusing(const Refusal& refusal, const std::vector<FolderEntry>& entries,
                          std::function<bool(const ScanProgress&)> armedAt = {}) {
    if (!armedAt) armedAt = [&](const ScanProgress& p) { return p.filesDone == refusal.afterFile; };
    g_injection = {&refusal, false, refusal.times};
    SetOdbcCallHook(RefuseWhenArmed);
    ScanHooks hooks;
    hooks.progress = [&](const ScanProgress& progress) { g_injection.armed = armedAt(progress); };
    const ScanResult result = Scan(entries, hooks);
    SetOdbcCallHook(nullptr);
    EXPECT_EQ(g_injection.left, 0);
    return result;
  }
};
INSTANTIATE_TEST_SUITE_P(Db, ScanRetry, ::testing::Values("SQLite"), [](const auto& p) { return p.param; });

TEST_P(ScanRetry, ARefusedFolderIsWalkedAgainUpToThreeTimesThenKeptAsItWas) {
  // Refused: the second file's row (SQLite writes rows one by one), or the folder's commit.
  const Refusal refusals[] = {
      {"serialization failure", "SQLExecute", 1, 0, "40001", 1},
      {"deadlock", "SQLExecute", 1, 1213, "HY000", 2},
      {"commit refused", "SQLExecDirect", 2, 1180, "HY000", 1},
      {"serialization failure", "SQLExecute", 1, 0, "40001", 3},
  };
  WriteFile(m_root / "a.txt", "a");
  WriteFile(m_root / "b.txt", "b");
  const std::vector<FolderEntry> entries = AddAndLoad(m_root);
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(std::string(refusal.what) + " " + std::to_string(refusal.times) + " times");
    Open().SendStatement("delete from " + m_settings.images + ";");
    port = RecordingUserPort();
    const ScanResult result = ScanRefusing(refusal, entries);

    const bool givesUp = refusal.times >= 3;
    const std::string injected = "Error " + std::to_string(refusal.nativeError) + ": " + refusal.what + " (injected)";
    const auto said = [&](const std::string& text) {
      return std::count_if(port.logLines.begin(), port.logLines.end(), [&](const std::string& line) {
        return line.find(injected) != std::string::npos && line.find(text) != std::string::npos;
      });
    };
    EXPECT_EQ(said("; the folder is read again"), givesUp ? 2 : refusal.times);
    EXPECT_EQ(said("the folder's changes were rolled back; its rows are as before"), givesUp ? 1 : 0);
    EXPECT_EQ(result.files, givesUp ? 0 : 2);
    EXPECT_EQ(result.failedRows, givesUp ? 2 : 0);
    EXPECT_EQ(Count(m_settings.images), givesUp ? "0" : "2");
  }
}

// The keywords of several files gathered into one statement the server refuses: the folder is walked
// again, each file's keywords on their own, and no file loses them.
TEST_P(ScanRetry, ARefusedStatementOfGatheredKeywordsHasTheFolderWalkedAgain) {
  MakeCompanionTables(m_settings.images);
  std::string subjects;
  for (int k = 0; k < 100; ++k) subjects += "<rdf:li>k" + std::to_string(k) + "</rdf:li>";
  const std::string packet = Packet("<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                                    "<dc:subject><rdf:Bag>" + subjects + "</rdf:Bag></dc:subject></rdf:Description>");
  // 600 values a file: the seventh file's keywords make the gathered ones pass a statement's 4,000.
  for (int i = 0; i < 8; ++i) WriteFile(m_root / ("p" + std::to_string(i) + ".jpg"), Jpeg(App1Xmp(packet)));
  const Refusal refusal{"value refused", "SQLPrepare", 6, 0, "22001", 1};
  EXPECT_EQ(ScanRefusing(refusal, AddAndLoad(m_root)).failedRows, 0) << DescribeMessages();
  EXPECT_EQ(Count(m_settings.images), "8");
  EXPECT_EQ(Count(KeywordsTableName(ValidName(m_settings.images)).Text()), "800");
}

// The same for the words rows of several files, gathered as the keywords are where the catalogue
// has no keywords table: the statement of the first 64 is refused.
TEST_P(ScanRetry, ARefusedStatementOfGatheredWordsHasTheFolderWalkedAgain) {
  Open().SendStatement(WordsTableStatement(ValidName(m_settings.images), Dialect()));
  for (int i = 0; i < 70; ++i) WriteFile(m_root / ("t" + std::to_string(i) + ".txt"), "x");
  const Refusal refusal{"value refused", "SQLPrepare", 63, 0, "22001", 1};
  EXPECT_EQ(ScanRefusing(refusal, AddAndLoad(m_root)).failedRows, 0) << DescribeMessages();
  EXPECT_EQ(Count(m_settings.images), "70");
  EXPECT_EQ(Count(WordsTableName(ValidName(m_settings.images)).Text()), "70");
}

// A file whose words row the catalogue refuses (a trigger here) loses its whole row, not half of it:
// were its images row kept, a rescan of changed files would never read it again.
TEST_P(ScanRetry, ARowWhoseWordsAreRefusedIsNotWrittenAtAll) {
  const std::string words = WordsTableName(ValidName(m_settings.images)).Text();
  Open().SendStatement(WordsTableStatement(ValidName(m_settings.images), Dialect()));
  Open().SendStatement("create trigger refuse_b before insert on " + words +
                       " when new.FileName = 'b.txt' begin select raise(abort, 'refused'); end;");
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(m_root / name, name);
  EXPECT_EQ(Scan(AddAndLoad(m_root)).failedRows, 1) << DescribeMessages();
  EXPECT_EQ(Count(m_settings.images) + "|" + Count(words), "2|2");
  Open().SendStatement("drop trigger refuse_b;");
  m_settings.onlyChangedFiles = true;
  ASSERT_TRUE(Scan().status) << DescribeMessages();
  EXPECT_EQ(Count(m_settings.images) + "|" + Count(words), "3|3");
}

// A folder is first walked with its rows sent in batches, and on PostgreSQL without a savepoint
// around each: a refusal there, which may cost other rows than its own, has the folder walked again
// row by row, each under a savepoint, where the refusal costs that row only.
class RowRefusal : public ScanRetry {};
INSTANTIATE_TEST_SUITE_P(Db, RowRefusal, ::testing::Values("PostgreSQL"), [](const auto& p) { return p.param; });

TEST_P(RowRefusal, CostsOnlyThatRowAfterTheFolderIsWalkedAgainRowByRow) {
  const Refusal refusal{"value too long", "SQLExecute", 1, 0, "22001", 2};
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(m_root / name, name);
  // Refused: the batch sent after the third file of the first walk, then the second file's row in
  // the walk row by row.
  const ScanResult result =
      ScanRefusing(refusal, AddAndLoad(m_root), [](const ScanProgress& p) { return p.filesDone % 2 == 1; });
  EXPECT_EQ(result.failedRows, 1);
  ASSERT_EQ(m_problems.size(), 1u) << DescribeMessages();
  EXPECT_NE(m_problems[0].find("(injected)"), std::string::npos) << m_problems[0];
  EXPECT_EQ(Count(m_settings.images), "2");
}

// A catalogue whose disk fills up in the middle of a scan (a tablespace on a 512 KB disk of its
// own, made by the test databases' script when it runs as root): said once, the scan ends, and
// the count it says is what the table holds; the folders done before keep their rows.
class FullDisk : public CatalogueFixture {};
INSTANTIATE_TEST_SUITE_P(Db, FullDisk, ::testing::Values("PostgreSQL"), [](const auto& p) { return p.param; });

TEST_P(FullDisk, EndsTheScanWithOneProblemAndTheRowsCounted) {
  const char* tablespace = std::getenv("TESSARINE_PGSQL_SMALL_TABLESPACE");
  if (tablespace == nullptr) {
    if (ServersRequired() && ::geteuid() == 0) FAIL() << "the test databases have no small tablespace";
    GTEST_SKIP() << "no small tablespace: the test databases were not started as root";
  }
  m_settings.images = Table("Full");
  std::string create = ImagesTableStatement(ValidName(m_settings.images), Dialect());
  create.insert(create.rfind(';'), std::string(" tablespace ") + tablespace);
  Open().SendStatement(create);
  // Forty folders of fifty files with long names: far more rows and keys than the disk holds.
  for (int folder = 0; folder < 40; ++folder) {
    const std::filesystem::path path = m_root / ("folder" + std::to_string(100 + folder));
    std::filesystem::create_directories(path);
    for (int i = 0; i < 50; ++i) WriteFile(path / (std::string(200, static_cast<char>('a' + i % 26)) + std::to_string(i)), "x");
  }
  const ScanResult result = Scan(AddAndLoad(m_root));
  EXPECT_FALSE(result.status && !result.Incomplete());
  ASSERT_EQ(m_problems.size(), 1u) << DescribeMessages();
  std::smatch said;
  ASSERT_TRUE(std::regex_search(m_problems[0], said, std::regex(R"(   (.*/): [\s\S]*No space left[\s\S]*the table holds ([0-9]+) rows)")))
      << m_problems[0];
  SqlStatement held("select count(*) from " + m_settings.images + " where Folder like ?");
  held.Bind(said[1].str() + "%");
  EXPECT_EQ(Scalar(held), said[2].str());
  EXPECT_GT(std::stoll(Count(m_settings.images)), 0);
}

}  // namespace
}  // namespace tessarine
