#pragma once

// Names and widths of the ID store's tables. The group table has one row per group;
// each group's pairs live in an ID list table of their own in the ID list folder.

namespace orvel {

inline constexpr const char* kGroupTableName = "IDGroup.db";
// In the data folder; whoever holds its lock is the store's one writer.
inline constexpr const char* kStoreLockFileName = "IDStore.lock";
inline constexpr const char* kGroupNameField = "Group Name";
inline constexpr int kGroupNameWidth = 30;
inline constexpr const char* kIdListNameField = "IDListName";
inline constexpr int kIdListNameWidth = 150;

inline constexpr const char* kTrailerIdField = "Trailer ID";
inline constexpr const char* kVehicleIdField = "Vehicle ID";
inline constexpr int kIdWidth = 16;

// A new group's ID list table holds one empty row per tester slot.
inline constexpr int kTesterSlots = 32;

}  // namespace orvel
