#pragma once
// The command line's exit codes, and their table as --help and the README show it.

#include <array>

#include "app/command_failure.h"
#include "app/command_journal.h"
#include "core/ending.h"

namespace vl::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitNotConnected = app::kExitConnectionFailed;
inline constexpr int kExitStoppedPartWay = 3;
inline constexpr int kExitCommitUnknown = 5;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitInterrupted = 130;

// The one table from how a command ended to its exit code, by whether any
// of it stays written in the world (a run written statement by statement).
struct EndingExit {
  Ending ending;
  int nothing_written;
  int written;
};
inline constexpr std::array<EndingExit, 10> kEndingExits{{
    {Ending::completed, kExitDone, kExitDone},
    {Ending::refused, kExitRefused, kExitStoppedPartWay},
    {Ending::declined, kExitRefused, kExitStoppedPartWay},
    {Ending::rejected, kExitRefused, kExitStoppedPartWay},
    {Ending::stopped_part_way, kExitRefused, kExitStoppedPartWay},
    {Ending::connection_lost, kExitNotConnected, kExitStoppedPartWay},
    {Ending::commit_unknown, kExitCommitUnknown, kExitCommitUnknown},
    {Ending::interrupted, kExitInterrupted, kExitInterrupted},
    {Ending::journal_refused, kExitRefused, kExitStoppedPartWay},
    {Ending::world_changed, kExitRefused, kExitStoppedPartWay},
}};

inline int exit_code_of(Ending ending, bool written = false) {
  for (const EndingExit& row : kEndingExits)
    if (row.ending == ending) return written ? row.written : row.nothing_written;
  return kExitRefused;
}

// A run written statement by statement: from the same value the journal's
// ending comes from (app::run_ending).
inline int exit_code_of(const app::StepwiseEnd& end) {
  return exit_code_of(end.interrupted ? Ending::interrupted : end.ending, end.written);
}

inline constexpr const char* kExitCodeTable =
    "Exit codes:\n"
    "  0    done\n"
    "  1    refused before anything was written: a value the run refuses, no candidates,\n"
    "       a confirmation declined, a finding of check, a query a read-only command\n"
    "       could not run, an unwritable --sql, --report or --plan file; written all or\n"
    "       nothing (generate without --window-way, apply) also a layout the writer\n"
    "       cannot use, or a statement the server rejected (rolled back, nothing\n"
    "       written); apply: a plan file it cannot read, or a world that no longer fits\n"
    "       the plan; a journal that cannot be opened (without\n"
    "       --no-journal); undo: a conflict (without --force), a run still being\n"
    "       written, undone already or of another database, a table it writes that\n"
    "       cannot roll back, a world that changed while it waited\n"
    "  2    db.ini invalid, database unreachable or login refused (in every command,\n"
    "       delete with its journal and undo included); nothing written; all or\n"
    "       nothing also the server lost before COMMIT (rolled back, nothing written)\n"
    "  3    stopped part-way with something written (a rejected statement, a lost\n"
    "       server, a journal that could not be written): the message says what stays;\n"
    "       also a --report file that could not be written after the run was (the run\n"
    "       stays written)\n"
    "  5    all or nothing: the server lost during COMMIT: all of the run or none,\n"
    "       unknown which\n"
    "  64   usage: unknown command or option, a missing or malformed value, an unknown\n"
    "       category or range, an unreadable --list file, --rules with --list, --journal\n"
    "       with --no-journal, no terminal and no --yes for generate, apply, delete,\n"
    "       repair or undo, --atomic with --window-way, --sql or --plan without\n"
    "       --dry-run, a --report file that is not .csv or .json, a --plan file that\n"
    "       is not .json\n"
    "  130  interrupted by Ctrl+C, SIGTERM or SIGHUP (all or nothing: before COMMIT, rolled\n"
    "       back, nothing written; undo: its transaction rolled back)\n";

}  // namespace vl::cli
