#pragma once
// The command line's exit codes, and their table as --help and the README show it.

#include "ui/command_guard.h"

namespace vl::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitNotConnected = ui::kExitConnectionFailed;
inline constexpr int kExitStoppedPartWay = 3;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitInterrupted = 130;

inline constexpr const char* kExitCodeTable =
    "Exit codes:\n"
    "  0    done\n"
    "  1    refused before anything was written: a value the run refuses, no candidates,\n"
    "       a confirmation declined, a finding of check, a query a read-only command\n"
    "       could not run\n"
    "  2    db.ini invalid, database unreachable or login refused; nothing written\n"
    "  3    stopped part-way with something written (a rejected statement, a lost\n"
    "       server): the message says what stays\n"
    "  64   usage: unknown command or option, a missing or malformed value, an unknown\n"
    "       category or range, an unreadable --list file, --rules with --list, no\n"
    "       terminal and no --yes for delete/repair\n"
    "  130  interrupted by Ctrl+C\n";

}  // namespace vl::cli
