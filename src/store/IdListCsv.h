#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "store/IdPairs.h"

// An ID list as a CSV file, the form spreadsheets open and save: a header line
// "Slot,Trailer ID,Vehicle ID", then one line per tester slot. Messages are UTF-8 text.

namespace orvel {

// A file that cannot be taken as an ID list. The message names the file, where in it
// the fault lies (line, column, character), the rule it breaks, and ends with
// "Nothing was imported."
class ECsvRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file was to be written where one already exists and was to be kept. The message
// names the file.
class EFileExists : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The 32 pairs of a CSV ID list (fewer rows leave the other slots empty), as 8-bit text.
//
// Fields are separated by commas or by semicolons (as the first line has them; an ID
// holds neither), quoted as RFC 4180 has it; lines end in CRLF or LF; a UTF-8 byte order
// mark may lead. The first line may be a header, "Slot,Trailer ID,Vehicle ID" or
// "Trailer ID,Vehicle ID" (any case, blanks around names ignored); without one, two
// fields are Trailer ID and Vehicle ID, three are Slot, Trailer ID and Vehicle ID. Every
// line has the first line's number of fields. With a Slot column each row goes into the
// slot it names (1 to 32, each at most once), so a sorted file still puts every pair in
// its own slot; without one, rows fill the slots in order, and an empty line before more
// rows is refused because it would move them up a slot. Empty lines at the end are fine.
//
// The file is read as UTF-8 when it is valid UTF-8, else as Windows-1252. Values are
// taken as they stand: each ID has at most 16 characters, each passing
// IdCharacterRefusal. Throws ECsvRefused, naming fileName, on the first fault.
IdPairs ParseIdListCsv(std::string_view bytes, const std::string& fileName);

// The same for a file on disk. A folder, a device, a missing or unreadable file, or a
// file too large to be an ID list is refused with ECsvRefused too.
IdPairs ReadIdListCsvFile(const std::filesystem::path& file);
// The same for a list piped in, as "import NAME -" takes it.
IdPairs ReadIdListCsvStandardInput();

// The CSV text of pairs: UTF-8 without a byte order mark, RFC 4180, CRLF line ends, the
// header "Slot,Trailer ID,Vehicle ID", then one line per pair (empty ones too) with its
// slot number from 1. Trailing blanks of an ID are left out: the tester pads IDs to 16
// characters anyway. A field is quoted only when it holds a separator, a quote mark or
// a line break.
std::string IdListCsvText(const IdPairs& pairs);

// Writes IdListCsvText(pairs) to file without ever leaving a half-written file: the text
// goes to a temporary file in the same folder, is flushed to disk, and is renamed into
// place. An existing file is kept, and EFileExists thrown, unless replaceExisting. A file
// replaced keeps its permissions; through a symbolic link, the file it leads to is
// replaced. Only a regular file is ever replaced: anything else (a folder, a device, a
// link that leads nowhere) throws EFileExists too. Any other failure throws
// std::runtime_error and leaves no temporary file.
void WriteIdListCsvFile(const std::filesystem::path& file, const IdPairs& pairs, bool replaceExisting);

}  // namespace orvel
