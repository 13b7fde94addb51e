#pragma once

namespace orvel {

enum class TDataSetState {
  Inactive,  // closed
  Browse,    // open, no pending change
  Edit,      // the current row is being changed
  Insert,    // a new row is being filled in at the cursor
};

// What creating a table does to an existing table of the same name that holds rows.
// Replacing one wipes the rows, so that must be asked for; an empty table is replaced either way.
enum class ExistingRows {
  Refuse,   // fail, leaving the table as it is
  Replace,  // replace it with the new empty table
};

// What bound views are told. Each names what a view must read again.
enum class TDataEvent {
  ActiveChanged,   // the table was opened or closed, or the data source switched: rebuild from scratch
  DataSetChanged,  // rows were added, removed or reloaded: read every row, the cursor and the state
  RecordChanged,   // the current row's values changed
  CursorMoved,     // another row is current
  StateChanged,    // Browse, Edit or Insert changed; the current row's values may have changed with it
};

}  // namespace orvel
