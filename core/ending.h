#pragma once
// How a command ended, as every shell tells it apart.

namespace vl {

enum class Ending {
  completed,
  refused,           // stopped before writing anything
  stopped_part_way,  // stopped; what was written before stays
  connection_lost,   // a connection could not be made; what was written before stays
};

}  // namespace vl
