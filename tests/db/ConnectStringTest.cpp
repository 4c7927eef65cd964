#include "db/ConnectString.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

TEST(ConnectString, UserDataSourceWithEmptyPasswordEndsWithPwd) {
  EXPECT_EQ(ConnectString({"Pictures", false, "scan", ""}), "ODBC;DSN=Pictures;UID=scan;PWD=");
}

TEST(ConnectString, EmptyLoginAndPasswordKeepTheirKeys) {
  EXPECT_EQ(ConnectString({"Pictures", false, "", ""}), "ODBC;DSN=Pictures;UID=;PWD=");
}

TEST(ConnectString, FileDataSourceUsesFileDsnAndThePath) {
  EXPECT_EQ(ConnectString({"/srv/odbc/catalogue.dsn", true, "u", "p"}),
            "ODBC;FileDSN=/srv/odbc/catalogue.dsn;UID=u;PWD=p");
}

TEST(ConnectString, PasswordWithSemicolonAndEqualsIsPlacedUnquoted) {
  EXPECT_EQ(ConnectString({"Pictures", false, "scan", "a;b=c"}), "ODBC;DSN=Pictures;UID=scan;PWD=a;b=c");
}

TEST(ConnectString, DriverManagerGetsTheStringWithoutItsOdbcPrefix) {
  EXPECT_EQ(DriverConnectString("ODBC;DSN=Pictures;UID=scan;PWD="), "DSN=Pictures;UID=scan;PWD=");
  EXPECT_EQ(DriverConnectString("odbc;FileDSN=/x.dsn"), "FileDSN=/x.dsn");
  EXPECT_EQ(DriverConnectString("DSN=Pictures"), "DSN=Pictures");
}

TEST(ConnectString, MaskingHidesThePasswordAndKeepsTheOtherEntries) {
  EXPECT_EQ(MaskPassword("DSN=Pictures;UID=scan;PWD=secret", "secret"), "DSN=Pictures;UID=scan;PWD=***");
  EXPECT_EQ(MaskPassword("DSN=p;UID=scan;PWD=secret;PORT=5432;", "secret"), "DSN=p;UID=scan;PWD=***;PORT=5432;");
  EXPECT_EQ(MaskPassword("DSN=p;pwd={secret};PORT=1", "secret"), "DSN=p;PWD=***;PORT=1");
  EXPECT_EQ(MaskPassword("DSN=p;UID=u", "secret"), "DSN=p;UID=u");
  EXPECT_EQ(MaskPassword("DSN=p;PWD=;UID=u", ""), "DSN=p;PWD=***;UID=u");
}

TEST(ConnectString, MaskingHidesAKnownPasswordThatHoldsSemicolons) {
  EXPECT_EQ(MaskPassword("DSN=Pictures;UID=scan;PWD=a;b=c;;d", "a;b=c;;d"), "DSN=Pictures;UID=scan;PWD=***");
  EXPECT_EQ(MaskPassword("DSN=p;PWD=a;b;PORT=1", "a;b"), "DSN=p;PWD=***;PORT=1");
}

TEST(ConnectString, MaskingAnUnknownPasswordHidesItsFirstPiece) {
  EXPECT_EQ(MaskPassword("DSN=p;PWD=other;PORT=1", "secret"), "DSN=p;PWD=***;PORT=1");
}

}  // namespace
}  // namespace tessarine
