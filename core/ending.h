#pragma once
// How a command ended, as every shell and the journal tell it apart: the one
// vocabulary of the writers, undo and the command line's exit codes. What is
// not how it ended (why it was refused, which statement failed) stays in each
// result beside it.

namespace vl {

enum class Ending {
  completed,         // everything it set out to do is done (an undo: undone)
  refused,           // refused before writing anything: the message says why
  declined,          // the confirmation asked did not go on; nothing was written
  rejected,          // the server refused a statement; all or nothing: rolled back
  stopped_part_way,  // stopped; what was written before stays
  connection_lost,   // the server could not be reached or went away; written
                     // statement by statement, what was written before stays;
                     // all or nothing, before COMMIT: rolled back
  commit_unknown,    // the server went away during COMMIT: all of it or none
  interrupted,       // Ctrl+C, SIGTERM or SIGHUP; all or nothing: rolled back
  journal_refused,   // the journal could not be read or record what came next;
                     // all or nothing: rolled back
  world_changed,     // the world changed while the operator was asked; rolled back
};

}  // namespace vl
