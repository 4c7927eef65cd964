#include "GaleraCluster.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "catalogue/CatalogueConnection.h"
#include "core/Error.h"
#include "support/TempDir.h"

namespace tessarine::test {
namespace {

std::string Environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value == nullptr ? std::string() : std::string(value);
}

std::string UnderPrefix(const std::string& table, const std::string& prefix) {
  return " from " + table + " where Folder like '" + prefix + "%'";
}

}  // namespace

std::optional<GaleraCluster> GaleraCluster::FromEnvironment(std::string& why) {
  GaleraCluster cluster;
  cluster.m_login = Environment("TESSARINE_GALERA_LOGIN");
  cluster.m_password = Environment("TESSARINE_GALERA_PASSWORD");
  for (int n = 1; n <= kNodes; ++n) {
    const std::string suffix = std::to_string(n);
    Node node{Environment("TESSARINE_GALERA_DSN" + suffix), Environment("TESSARINE_GALERA_PIDFILE" + suffix),
              Environment("TESSARINE_GALERA_START" + suffix)};
    if (node.dsn.empty() || node.pidFile.empty() || node.startCommand.empty()) {
      why = "the Galera cluster is not running: TESSARINE_GALERA_DSN" + suffix + ", _PIDFILE" + suffix + " or _START" +
            suffix + " is not set (start it with scripts/start-galera-cluster.sh, or run scripts/test.sh)";
      return std::nullopt;
    }
    cluster.m_nodes.push_back(std::move(node));
  }
  return cluster;
}

std::optional<std::string> GaleraCluster::StatusValue(int node, const std::string& variable) const {
  try {
    CatalogueConnection connection;
    connection.OpenConnection(Source(node));
    auto rows = connection.ExecuteStatement("show global status like '" + variable + "'");
    if (!rows || rows->IsEof() || rows->FieldCount() < 2) return std::nullopt;
    return rows->FieldValue(1);
  } catch (const Error&) {
    return std::nullopt;
  }
}

bool GaleraCluster::IsWhole(int node) const {
  return StatusValue(node, "wsrep_local_state_comment") == "Synced" &&
         StatusValue(node, "wsrep_cluster_size") == std::to_string(kNodes);
}

bool GaleraCluster::WaitForMembers(int node, int members, std::chrono::seconds within) const {
  const auto deadline = std::chrono::steady_clock::now() + within;
  for (;;) {
    if (StatusValue(node, "wsrep_local_state_comment") == "Synced" &&
        StatusValue(node, "wsrep_cluster_size") == std::to_string(members)) {
      return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
}

std::string GaleraCluster::Describe(int node) const {
  const auto state = StatusValue(node, "wsrep_local_state_comment");
  if (!state) return "node " + std::to_string(node) + " (" + Dsn(node) + ") does not answer";
  return "node " + std::to_string(node) + " is " + *state + " in a cluster of " +
         StatusValue(node, "wsrep_cluster_size").value_or("?") + " nodes";
}

bool GaleraCluster::KillNode(int node) const {
  const Node& n = m_nodes.at(node - 1);
  const std::string text = ReadFile(n.pidFile);
  const pid_t pid = static_cast<pid_t>(std::atol(text.c_str()));
  if (pid <= 0) return false;
  // The number must still be this node's server, whose command line names the node's folder.
  std::string commandLine = ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
  if (commandLine.find(n.pidFile.parent_path().string() + "/") == std::string::npos) return false;
  return ::kill(pid, SIGKILL) == 0;
}

bool GaleraCluster::RestartNode(int node, std::chrono::seconds within) const {
  const auto deadline = std::chrono::steady_clock::now() + within;
  // A node started while the others still count its killed self waits long until they let it go.
  if (!WaitForMembers(node == 1 ? 2 : 1, kNodes - 1, within)) return false;
  const std::string command = m_nodes.at(node - 1).startCommand;
  // Twice forked so that the server belongs to no test process and outlives this one.
  const pid_t child = ::fork();
  if (child == 0) {
    if (::fork() == 0) {
      ::setsid();
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, STDIN_FILENO);
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
      ::execl(command.c_str(), command.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::_exit(0);
  }
  if (child < 0) return false;
  int status = 0;
  ::waitpid(child, &status, 0);
  const auto left = std::chrono::duration_cast<std::chrono::seconds>(deadline - std::chrono::steady_clock::now());
  return WaitForMembers(node, kNodes, std::max(left, std::chrono::seconds(1)));
}

std::vector<std::pair<std::string, std::string>> GaleraCluster::Rows(int node, const std::string& table,
                                                                     const std::string& prefix) const {
  CatalogueConnection connection;
  connection.OpenConnection(Source(node));
  // Reads on a node wait until it has applied what the others committed before.
  connection.SendStatement("set session wsrep_sync_wait = 1");
  std::vector<std::pair<std::string, std::string>> rows;
  auto result = connection.ExecuteStatement("select Folder, FileName" + UnderPrefix(table, prefix),
                                            CursorChoice::ForwardOnly);
  for (; result && !result->IsEof(); result->MoveNext()) {
    rows.emplace_back(result->FieldValue(0).value_or(""), result->FieldValue(1).value_or(""));
  }
  return rows;
}

long long GaleraCluster::RowsNow(int node, const std::string& table, const std::string& prefix) const {
  try {
    CatalogueConnection connection;
    connection.OpenConnection(Source(node));
    auto rows = connection.ExecuteStatement("select count(*)" + UnderPrefix(table, prefix));
    if (!rows || rows->IsEof() || !rows->FieldValue(0)) return -1;
    return std::stoll(*rows->FieldValue(0));
  } catch (const std::exception&) {
    return -1;
  }
}

bool GaleraCluster::Send(int node, const std::string& sql) const {
  try {
    CatalogueConnection connection;
    connection.OpenConnection(Source(node));
    connection.SendStatement(sql);
    return true;
  } catch (const Error&) {
    return false;
  }
}

}  // namespace tessarine::test
