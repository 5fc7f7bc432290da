#pragma once
// Other layouts the sample world can be written in. The extended layout of the loot tables, as
// newer worlds of the game server hold them: statements that turn world/schema.sql's layout into
// it. Extra columns with defaults, and loottable_entries' probability moved to the end, so that
// positional inserts no longer fit while named columns still do.

#include <string_view>

namespace vl::world {

inline constexpr std::string_view kExtendedLayoutSql =
    "ALTER TABLE lootdrop ADD min_expansion TINYINT NOT NULL DEFAULT -1, "
    "ADD max_expansion TINYINT NOT NULL DEFAULT -1;\n"
    "ALTER TABLE lootdrop_entries ADD disabled_chance FLOAT NOT NULL DEFAULT 0 AFTER chance, "
    "ADD trivial_min_level SMALLINT UNSIGNED NOT NULL DEFAULT 0, "
    "ADD npc_min_level TINYINT NOT NULL DEFAULT 0;\n"
    "ALTER TABLE loottable ADD done TINYINT NOT NULL DEFAULT 0;\n"
    "ALTER TABLE loottable_entries MODIFY probability FLOAT NOT NULL DEFAULT 100 AFTER mindrop;\n";

// The older layout of the spawn tables: a point is disabled by spawn2.enabled = 0,
// and there is no spawn2_disabled.
inline constexpr std::string_view kOlderSpawnLayoutSql =
    "ALTER TABLE spawn2 ADD enabled TINYINT NOT NULL DEFAULT 1;\n"
    "DROP TABLE spawn2_disabled;\n";

}  // namespace vl::world
