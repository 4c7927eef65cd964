// Random hostile texts, bound as statement values, go into a text column and come back exactly as
// sent; nothing but the inserts is executed.

#include <random>

#include "support/DatabaseFixture.h"

namespace tessarine::test {
namespace {

constexpr int kValueCount = 10000;

// Pieces chosen to break naive quoting: quotes, backslashes, comment and statement breaks,
// parameter marks, control characters (no NUL: drivers cut texts there), and 2-, 3- and 4-byte UTF-8.
const std::vector<std::string>& Pieces() {
  static const std::vector<std::string> pieces = {
      "'", "''", "\\", "\\'", "\"", ";", "--", "/*", "*/", "%", "_", "!", "$$", "`", "?", ":name",
      "'); drop table Sentinel; --", "\\'; delete from Sentinel; --", "\t", "\r\n", "\n", "\x01", "\x1b",
      "\x7f", " ", "a", "Z", "0", "é", "ß", "ü", "€", "中", "東京", "😀", "𝄞", "\xF0\x9F\x8F\xB3\xEF\xB8\x8F",
      "ᚠ", "\u200b", "\uFEFF"};
  return pieces;
}

std::string RandomValue(std::mt19937& random) {
  std::uniform_int_distribution<int> lengthKind(0, 99);
  const int kind = lengthKind(random);
  // Mostly short values, some empty, a few long ones.
  const std::size_t pieces = kind < 5 ? 0 : kind < 95 ? std::uniform_int_distribution<std::size_t>(1, 40)(random)
                                                      : std::uniform_int_distribution<std::size_t>(500, 3000)(random);
  std::uniform_int_distribution<std::size_t> pick(0, Pieces().size() - 1);
  std::string value;
  for (std::size_t i = 0; i < pieces; ++i) value += Pieces()[pick(random)];
  return value;
}

using HostileValuesOn = DatabaseFixture;
TESSARINE_ON_EVERY_DATABASE(HostileValuesOn);

TEST_P(HostileValuesOn, ComeBackExactlyAsSent) {
  Open();
  const std::string values = Table("Hostile");
  const std::string sentinel = Table("Sentinel");
  connection.SendStatement("create table " + values + " (Id integer not null,Value text,primary key(Id));");
  connection.SendStatement("create table " + sentinel + " (Id integer);");
  connection.SendStatement("insert into " + sentinel + " (Id) values (1);");

  std::mt19937 random(20240601);  // fixed: a failure can be replayed
  std::vector<std::string> sent;
  sent.reserve(kValueCount);
  connection.SendStatement(*Dialect().transactionStart);
  for (int id = 0; id < kValueCount; ++id) {
    std::string value = RandomValue(random);
    // The sentinel pieces name this test's own sentinel table.
    for (auto at = value.find("Sentinel"); at != std::string::npos; at = value.find("Sentinel", at + sentinel.size())) {
      value.replace(at, 8, sentinel);
    }
    sent.push_back(value);
    ASSERT_NO_THROW(connection.Send(
        SqlStatement("insert into " + values + " (Id,Value) values (?,?);").BindInteger(std::to_string(id)).Bind(value)))
        << "value " << id;
  }
  connection.SendStatement(*Dialect().transactionEnd);

  auto rows = connection.ExecuteStatement("select Id,Value from " + values + " order by Id;", CursorChoice::ForwardOnly);
  ASSERT_NE(rows, nullptr);
  int id = 0;
  for (; !rows->IsEof(); rows->MoveNext(), ++id) {
    ASSERT_LT(id, kValueCount);
    ASSERT_EQ(rows->FieldValue(0), std::to_string(id));
    ASSERT_EQ(rows->FieldValue(1).value_or("<null>"), sent[static_cast<std::size_t>(id)]) << "value " << id;
  }
  EXPECT_EQ(id, kValueCount);
  EXPECT_EQ(connection.FirstValue("select count(*) from " + sentinel + ";"), "1");
}

}  // namespace
}  // namespace tessarine::test
