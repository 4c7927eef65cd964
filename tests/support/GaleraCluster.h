#pragma once
// The three-node Galera cluster of scripts/start-galera-cluster.sh, as its env.sh describes it:
// each node's user data source and the login. Without that environment the scale-out tests skip,
// unless TESSARINE_REQUIRE_SERVERS=1.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/ConnectString.h"

namespace tessarine::test {

class GaleraCluster {
 public:
  static constexpr int kNodes = 3;

  // The cluster the environment names; std::nullopt, with `why` saying what is missing, without it.
  static std::optional<GaleraCluster> FromEnvironment(std::string& why);

  // Nodes are numbered 1 to 3, as in the environment.
  const std::string& Dsn(int node) const { return m_dsns.at(node - 1); }
  const std::string& Login() const { return m_login; }
  const std::string& Password() const { return m_password; }
  DataSource Source(int node) const { return DataSource{Dsn(node), false, m_login, m_password}; }

  // The node answers, is synced with the cluster and the cluster has all three nodes.
  bool IsWhole(int node) const;
  // Why IsWhole is false for the node, for a failure message.
  std::string Describe(int node) const;

  // The folder and file name of every row of the table whose folder begins with `prefix`, read on
  // the node after it has applied everything the cluster committed before. Throws DatabaseError.
  std::vector<std::pair<std::string, std::string>> Rows(int node, const std::string& table,
                                                        const std::string& prefix) const;

  // Sends the statement on the node; false when it was refused or the node did not answer.
  bool Send(int node, const std::string& sql) const;

 private:
  std::optional<std::string> StatusValue(int node, const std::string& variable) const;

  std::vector<std::string> m_dsns;
  std::string m_login;
  std::string m_password;
};

}  // namespace tessarine::test
