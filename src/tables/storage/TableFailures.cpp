#include "tables/storage/TableFailures.h"

#include <sqlite3.h>

namespace orvel {

namespace {

// Plain words for the failures an operator can act on; nullptr for the rest.
const char* PlainReason(int primaryCode) {
  switch (primaryCode) {
    case SQLITE_NOTADB:
      return "the file is not a table";
    case SQLITE_CORRUPT:
      return "the file is damaged";
    case SQLITE_FULL:
      return "the disk is full";
    case SQLITE_READONLY:
      return "the file cannot be written";
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return "access is denied";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "another program is using the file";
    case SQLITE_CANTOPEN:
      return "the file cannot be opened";
    case SQLITE_IOERR:
      return "the disk reported an error";
    default:
      return nullptr;
  }
}

}  // namespace

std::string ExplainSqliteError(const SqliteError& error) {
  const char* plain = PlainReason(error.Code() & 0xFF);
  if (plain == nullptr) return error.what();
  std::string reason = plain;
  reason += " (";
  reason += error.what();
  reason += ')';
  return reason;
}

std::string FileNote(const TableLocation& where) {
  // Appended piece by piece: gcc 12 at -O3 mistakes "'" + name for an overlapping copy.
  std::string note = "'";
  note += where.FileName();
  note += '\'';
  return note;
}

void RefuseFolderOrDevice(const TableLocation& where, EntryKind kind, const char* action) {
  if (kind == EntryKind::Folder) throw where.Failure(action, FileNote(where) + " is a folder, not a table file");
  if (kind == EntryKind::Other) throw where.Failure(action, FileNote(where) + " is not a regular file");
  if (kind == EntryKind::Unknown) {
    throw where.Failure(action,
                        FileNote(where) + " cannot be examined; check that the folder can be read and the disk works");
  }
}

}  // namespace orvel
