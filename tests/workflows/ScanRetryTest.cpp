// The folder retry, proven on every run: the server's refusals of a folder's transaction (a
// serialization failure, a deadlock known by its native code only, a refused commit) are put in
// through the ODBC call hook at a chosen point of the folder's walk, on the embedded database. A
// refused folder is walked again after a pause, up to three times; then its changes stay rolled
// back and the scan says so. The same on a real cluster is GaleraScaleOut's.

#include <algorithm>

#include "catalogue/OdbcHandle.h"
#include "workflows/CatalogueFixture.h"

namespace tessarine::test {
namespace {

// The refusal the hook throws, on which call, after which file of the walk, and how many times.
struct Refusal {
  const char* what;
  const char* call;  // "SQLExecute": the next row written; "SQLExecDirect": the folder's commit
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
};
INSTANTIATE_TEST_SUITE_P(Db, ScanRetry, ::testing::Values("SQLite"), [](const auto& p) { return p.param; });

TEST_P(ScanRetry, ARefusedFolderIsWalkedAgainUpToThreeTimesThenKeptAsItWas) {
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
    connection.CloseConnection();
    port = RecordingUserPort();
    g_injection = {&refusal, false, refusal.times};
    SetOdbcCallHook(RefuseWhenArmed);
    ScanHooks hooks;
    hooks.progress = [&](const ScanProgress& progress) { g_injection.armed = progress.filesDone == refusal.afterFile; };
    const ScanResult result = Scan(entries, hooks);
    SetOdbcCallHook(nullptr);

    const bool givesUp = refusal.times >= 3;
    const std::string injected = "Error " + std::to_string(refusal.nativeError) + ": " + refusal.what + " (injected)";
    const auto said = [&](const std::string& text) {
      return std::count_if(port.logLines.begin(), port.logLines.end(), [&](const std::string& line) {
        return line.find(injected) != std::string::npos && line.find(text) != std::string::npos;
      });
    };
    EXPECT_EQ(g_injection.left, 0);
    EXPECT_EQ(said("; the folder is read again"), givesUp ? 2 : refusal.times);
    EXPECT_EQ(said("the folder's changes were rolled back; its rows are as before"), givesUp ? 1 : 0);
    EXPECT_EQ(result.files, givesUp ? 0 : 2);
    EXPECT_EQ(result.failedRows, givesUp ? 2 : 0);
    EXPECT_EQ(Count(m_settings.images), givesUp ? "0" : "2");
  }
}

}  // namespace
}  // namespace tessarine::test
