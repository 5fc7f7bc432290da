#include "app/command_failure.h"

#include <cstdio>
#include <cstdlib>

#include "db/database.h"

namespace vl::app {

Failure failure_of(const std::exception_ptr& thrown) {
  try {
    std::rethrow_exception(thrown);
  } catch (const db::ConnectionFailed&) {
    return {db::kConnectionFailedMessage, true};
  } catch (const db::UsageError& slip) {
    return {std::string(kProgramFaultMessage) + slip.what()};
  } catch (const std::exception& failure) {
    return {failure.what()};
  } catch (...) {
    return {"Unexpected failure"};
  }
}

void end_program_now(db::Session& session, int exit_code) {
  session.db_recordset.reset();
  session.db_connection.reset();
  std::fflush(nullptr);
  std::_Exit(exit_code);
}

}  // namespace vl::app
