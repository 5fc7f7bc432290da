#pragma once
// The sizes of the program's fixed slot tables. Slot 0 of each is never used,
// so that slot numbers count from 1 as the loot rules do.

namespace vl {

inline constexpr int kCustomItemSlots = 32768;  // slots 0..32767: candidates or the custom list
inline constexpr int kDropItemSlots = 33;       // slots 0..32: the items of one drop
inline constexpr int kItemTypeSlots = 17;       // slots 0..16: a category's item types

}  // namespace vl
