#include "catalogue/ConnectString.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

TEST(ConnectString, NamesTheDataSourceKeepsEveryKeyAndGivesTheDriverManagerNoOdbcPrefix) {
  EXPECT_EQ(ConnectString({"Pictures", false, "", ""}), "ODBC;DSN=Pictures;UID=;PWD=");
  EXPECT_EQ(ConnectString({"/srv/catalogue.dsn", true, "u", "p"}), "ODBC;FileDSN=/srv/catalogue.dsn;UID=u;PWD=p");
  // A password holding ";" and "=" is placed unquoted.
  EXPECT_EQ(ConnectString({"Pictures", false, "scan", "a;b=c"}), "ODBC;DSN=Pictures;UID=scan;PWD=a;b=c");
  EXPECT_EQ(DriverConnectString("ODBC;DSN=Pictures;UID=scan;PWD="), "DSN=Pictures;UID=scan;PWD=");
  EXPECT_EQ(DriverConnectString("odbc;FileDSN=/x.dsn"), "FileDSN=/x.dsn");
  EXPECT_EQ(DriverConnectString("DSN=Pictures"), "DSN=Pictures");
}

TEST(ConnectString, MaskingHidesThePasswordAndKeepsTheOtherEntries) {
  const struct {
    std::string_view connect, password, expected;
  } rows[] = {
      {"DSN=Pictures;UID=scan;PWD=secret", "secret", "DSN=Pictures;UID=scan;PWD=***"},
      {"DSN=p;UID=scan;PWD=secret;PORT=5432;", "secret", "DSN=p;UID=scan;PWD=***;PORT=5432;"},
      {"DSN=p;pwd={secret};PORT=1", "secret", "DSN=p;PWD=***;PORT=1"},
      {"DSN=p;UID=u", "secret", "DSN=p;UID=u"},
      {"DSN=p;PWD=;UID=u", "", "DSN=p;PWD=***;UID=u"},
      // A known password that holds semicolons is hidden whole.
      {"DSN=Pictures;UID=scan;PWD=a;b=c;;d", "a;b=c;;d", "DSN=Pictures;UID=scan;PWD=***"},
      {"DSN=p;PWD=a;b;PORT=1", "a;b", "DSN=p;PWD=***;PORT=1"},
      // An unknown password loses its first piece.
      {"DSN=p;PWD=other;PORT=1", "secret", "DSN=p;PWD=***;PORT=1"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(MaskPassword(row.connect, row.password), row.expected) << row.connect;
  }
}

}  // namespace
}  // namespace tessarine
