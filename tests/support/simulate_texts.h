#pragma once
// What simulate says its per-kill figures leave out, as every test of it expects.

#include <string>

namespace vl::test {

inline const std::string kLeftOut =
    "Per kill, with the server's global loot multiplier 1. Not included:\n"
    "- coins (mincash, maxcash, avgcoin of loottable)\n"
    "- loot that scripts add or remove, and global loot tables the server adds on its own\n"
    "- the killer's level filter (trivial_min_level/trivial_max_level, in older layouts "
    "minlevel/maxlevel of lootdrop_entries): a killer of any level inside is assumed\n"
    "- content filters (min_expansion, max_expansion, content flags): every row is assumed to "
    "pass\n- level scaling at spawn: the NPC's level column is used\n";

}  // namespace vl::test
