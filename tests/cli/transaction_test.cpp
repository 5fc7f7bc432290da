// One transaction on a connection: committed, rolled back when dropped
// unfinished, and a connection lost at COMMIT told apart from a refusal. What
// reached the server is read from its general query log; the loss is made by
// the relay, which lets the statement reach the server and loses its answer.

#include "db/transaction.h"

#include <memory>
#include <optional>

#include "db/database.h"
#include "support/relay.h"
#include "support/test_db.h"

namespace vl::test {
namespace {

const std::string kInsert = "INSERT INTO lootdrop (id,name) VALUES (1,'t')";

std::unique_ptr<db::Connection> connect(const std::string& host) {
  db::Session session;
  session.db_host = host;
  session.db_user = db_settings().user;
  session.db_password = db_settings().password;
  session.db_name = db_settings().name;
  return std::make_unique<db::Connection>(db::connection_string(session));
}

enum class End { commit, rollback, drop };
enum class Thrown { none, commit_unknown, lost };

TEST(Transaction, EndsAsItsOwnerEndsIt) {
  const struct {
    const char* name;
    const char* cut_on;  // the relay loses the link at this statement; "" for none
    End end;
    Thrown thrown;
    Texts log;  // what reached the server, in order
    const char* rows;
  } cases[] = {
      // clang-format off
      {"committed", "", End::commit, Thrown::none, {"START TRANSACTION", kInsert, "COMMIT"}, "1"},
      {"rolled back", "", End::rollback, Thrown::none, {"START TRANSACTION", kInsert, "ROLLBACK"}, "0"},
      {"dropped unfinished", "", End::drop, Thrown::none, {"START TRANSACTION", kInsert, "ROLLBACK"}, "0"},
      // COMMIT reached the server, which committed; the client cannot know it.
      {"lost at COMMIT", "COMMIT", End::commit, Thrown::commit_unknown,
       {"START TRANSACTION", kInsert, "COMMIT"}, "1"},
      // Lost before COMMIT: the server rolls back; nothing more is sent.
      {"lost before COMMIT", "INSERT", End::drop, Thrown::lost, {"START TRANSACTION", kInsert}, "0"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    reset_world();
    std::optional<Relay> relay;
    if (*c.cut_on) relay.emplace("0", c.cut_on);
    const GeneralLog log;
    Thrown thrown = Thrown::none;
    {
      const auto connection = connect(*c.cut_on ? VL_RELAY_HOST : db_settings().host);
      db::Transaction transaction(*connection);
      try {
        transaction.begin();
        connection->execute(kInsert);
        if (c.end == End::commit) transaction.commit();
        if (c.end == End::rollback) transaction.rollback();
      } catch (const db::CommitUnknown&) {
        thrown = Thrown::commit_unknown;
      } catch (const db::Error& error) {
        thrown = db::connection_lost(error) ? Thrown::lost : Thrown::none;
      }
      EXPECT_EQ(transaction.pending(), c.end == End::drop);
    }
    EXPECT_EQ(thrown, c.thrown);
    EXPECT_EQ(log.statement_texts(), c.log);
    EXPECT_EQ(fixture_value("SELECT COUNT(*) FROM lootdrop"), c.rows);
  }
}

}  // namespace
}  // namespace vl::test
