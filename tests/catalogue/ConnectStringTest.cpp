#include "catalogue/ConnectString.h"

#include <gtest/gtest.h>

namespace tessarine {
namespace {

constexpr BracedValues kNone{};
constexpr BracedValues kPasswordOnly{.dsn = false, .login = false, .password = true};

TEST(ConnectString, NamesTheDataSourceKeepsEveryKeyAndGivesTheDriverManagerNoOdbcPrefix) {
  EXPECT_EQ(ConnectString({"Pictures", false, "", ""}), "ODBC;DSN=Pictures;UID=;PWD=");
  EXPECT_EQ(ConnectString({"/srv/catalogue.dsn", true, "u", "p"}), "ODBC;FileDSN=/srv/catalogue.dsn;UID=u;PWD=p");
  EXPECT_EQ(DriverConnectString("ODBC;DSN=Pictures;UID=scan;PWD="), "DSN=Pictures;UID=scan;PWD=");
  EXPECT_EQ(DriverConnectString("odbc;FileDSN=/x.dsn"), "FileDSN=/x.dsn");
  EXPECT_EQ(DriverConnectString("DSN=Pictures"), "DSN=Pictures");
}

TEST(ConnectString, AValueThatWouldBeMisreadIsBracedWithEveryClosingBraceDoubled) {
  const struct {
    std::string_view value, written;
  } rows[] = {
      {"semi;colon}brace{eq=7", "{semi;colon}}brace{eq=7}"},
      {"}", "{}}}"},
      {" lead", "{ lead}"},
      {"tail\t", "{tail\t}"},
      {"in side", "in side"},
      {"", ""},
  };
  for (const auto& row : rows) {
    const std::string value(row.value);
    EXPECT_EQ(ConnectString({value, false, value, value}),
              "ODBC;DSN=" + std::string(row.written) + ";UID=" + std::string(row.written) + ";PWD=" +
                  std::string(row.written))
        << row.value;
  }
}

TEST(ConnectString, OnlyTheValuesWhoseBracesTheDriverReadsAreBracedAndTheOthersSplittingAreUnsafe) {
  const DataSource hostile{"a=b", false, "me;x", "x;Database=/f"};
  EXPECT_EQ(ConnectString(hostile, kPasswordOnly), "ODBC;DSN=a=b;UID=me;x;PWD={x;Database=/f}");
  EXPECT_EQ(UnsafeConnectValue(hostile, kPasswordOnly), "UID");
  EXPECT_EQ(UnsafeConnectValue(hostile, kNone), "UID");
  EXPECT_EQ(UnsafeConnectValue({"p", false, "me", "x;Database=/f"}, kNone), "PWD");
  EXPECT_EQ(UnsafeConnectValue({"p;q", false, "", ""}, kNone), "DSN");
  EXPECT_EQ(UnsafeConnectValue({"/a;b.dsn", true, "", ""}, kNone), "FileDSN");
  // "=" and blanks cannot start another entry: written as they always were, and let through.
  EXPECT_EQ(UnsafeConnectValue({"a=b", false, " me ", "p=q"}, kNone), "");
  EXPECT_EQ(ConnectString({"a=b", false, "me", "p=q"}, kNone), "ODBC;DSN=a=b;UID=me;PWD=p=q");
  EXPECT_EQ(UnsafeConnectValue(hostile, {true, true, true}), "");
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
      // An unknown password loses its first piece.
      {"DSN=p;PWD=other;PORT=1", "secret", "DSN=p;PWD=***;PORT=1"},
      // A braced value runs to its closing brace, "}}" being part of it, known or not.
      {"DSN=m;UID=u;PWD={semi;colon}}brace{eq=7};PORT=1", "semi;colon}brace{eq=7", "DSN=m;UID=u;PWD=***;PORT=1"},
      {"DSN=m;PWD={never;closed", "", "DSN=m;PWD=***"},
      // A password that only begins the value is no reason to show the rest of it.
      {"DSN=p;PWD=secretive;PORT=1", "secret", "DSN=p;PWD=***;PORT=1"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(MaskPassword(row.connect, row.password), row.expected) << row.connect;
  }
}

}  // namespace
}  // namespace tessarine
