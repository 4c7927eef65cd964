#include "GaleraCluster.h"

#include "catalogue/CatalogueConnection.h"
#include "core/Error.h"
#include "support/TestDatabase.h"

namespace tessarine::test {

std::optional<GaleraCluster> GaleraCluster::FromEnvironment(std::string& why) {
  GaleraCluster cluster;
  cluster.m_login = Environment("TESSARINE_GALERA_LOGIN");
  cluster.m_password = Environment("TESSARINE_GALERA_PASSWORD");
  for (int n = 1; n <= kNodes; ++n) {
    const std::string name = "TESSARINE_GALERA_DSN" + std::to_string(n);
    cluster.m_dsns.push_back(Environment(name));
    if (cluster.m_dsns.back().empty()) {
      why = "the Galera cluster is not running: " + name +
            " is not set (start it with scripts/start-galera-cluster.sh, or run scripts/test.sh)";
      return std::nullopt;
    }
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

std::string GaleraCluster::Describe(int node) const {
  const auto state = StatusValue(node, "wsrep_local_state_comment");
  if (!state) return "node " + std::to_string(node) + " (" + Dsn(node) + ") does not answer";
  return "node " + std::to_string(node) + " is " + *state + " in a cluster of " +
         StatusValue(node, "wsrep_cluster_size").value_or("?") + " nodes";
}

std::vector<std::pair<std::string, std::string>> GaleraCluster::Rows(int node, const std::string& table,
                                                                     const std::string& prefix) const {
  CatalogueConnection connection;
  connection.OpenConnection(Source(node));
  // Reads on a node wait until it has applied what the others committed before.
  connection.SendStatement("set session wsrep_sync_wait = 1");
  std::vector<std::pair<std::string, std::string>> rows;
  auto result = connection.ExecuteStatement(
      "select Folder, FileName from " + table + " where Folder like '" + prefix + "%'", CursorChoice::ForwardOnly);
  for (; result && !result->IsEof(); result->MoveNext()) {
    rows.emplace_back(result->FieldValue(0).value_or(""), result->FieldValue(1).value_or(""));
  }
  return rows;
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
