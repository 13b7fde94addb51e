#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "store/IdPairs.h"

// An ID list as a CSV file, the form spreadsheets open and save: a header line
// "Slot,Trailer ID,Vehicle ID", then one line per tester slot. Messages are UTF-8 text, with
// any control character of the file or its name made visible.

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

// The first line names the columns, yet is not a header this reader can take for sure (a
// column named twice or missing, or IDs beside a column name): the caller may say whether
// the file has a header.
class ECsvHeaderInDoubt : public ECsvRefused {
 public:
  using ECsvRefused::ECsvRefused;
};

// Whether the first line of a CSV file is a header: Detect reads it as one when it names
// the columns, refuses it when it names some but not as a header, and else takes it as IDs.
enum class CsvHeader { Detect, Present, Absent };

// The rows of a group this reader takes at most; far more than any group is given.
inline constexpr int kMostCsvRows = 100000;

// The pairs of a CSV ID list, as 8-bit text: at least the tester's 32 (fewer rows leave the
// other slots empty), more when the file has more rows, as a group may.
//
// Fields are separated by commas, semicolons or tabs (as the first line has most of),
// quoted as RFC 4180 has it; lines end in CRLF or LF. The file is UTF-16 when it begins
// with a UTF-16 byte order mark, UTF-8 when it is valid UTF-8 throughout or begins with the
// UTF-8 mark, else Windows-1252. The first line may be a header naming the columns Trailer
// ID and Vehicle ID, and optionally Slot, in any order, case and spacing, also as
// "Trailer", "Vehicle-ID", "Slot No" and the like; without one, two fields are Trailer ID
// and Vehicle ID, three are Slot, Trailer ID and Vehicle ID. Every line has the first
// line's number of fields. With a Slot column each row goes into the slot it names (from
// 1, each at most once), so a sorted file still puts every pair in its own slot; without
// one, rows fill the slots in order, and an empty line before more rows is refused
// because it would move them up a slot. Empty lines at the end are fine.
//
// Values are taken as they stand, or from Excel's text form ="..."; each ID has at most 16
// characters the tester can hold (tables/TesterText.h). Throws ECsvRefused, naming
// fileName, on the first fault.
IdPairs ParseIdListCsv(std::string_view bytes, const std::string& fileName, CsvHeader header = CsvHeader::Detect);

// The same for a file on disk. A folder, a device, a missing or unreadable file, or a
// file too large to be an ID list is refused with ECsvRefused too.
IdPairs ReadIdListCsvFile(const std::filesystem::path& file, CsvHeader header = CsvHeader::Detect);
// The same for a list piped in, as "import NAME -" takes it.
IdPairs ReadIdListCsvStandardInput(CsvHeader header = CsvHeader::Detect);

// How IDs are written: as they stand, or each as Excel's text form ="...", so that a
// spreadsheet keeps IDs such as 00123, =1+1, -2-3 or @SUM(1) as text.
enum class CsvCells { Plain, ExcelText };

// The CSV text of pairs: UTF-8 without a byte order mark, RFC 4180, CRLF line ends, the
// header "Slot,Trailer ID,Vehicle ID", then one line per pair (empty ones too) with its
// slot number from 1. Trailing blanks of an ID are left out: the tester pads IDs to 16
// characters anyway. A field is quoted only when it holds a separator, a quote mark or
// a line break; an ID that itself reads as the text form is written in it, so that every
// ID reads back as it was.
std::string IdListCsvText(const IdPairs& pairs, CsvCells cells = CsvCells::Plain);

// Writes IdListCsvText(pairs) to file without ever leaving a half-written file: the text
// goes to a temporary file in the same folder, is flushed to disk, and is renamed into
// place. An existing file is kept, and EFileExists thrown, unless replaceExisting. A file
// replaced keeps its permissions; through a symbolic link, the file it leads to is
// replaced. Only a regular file is ever replaced: anything else (a folder, a device, a
// link that leads nowhere) throws EFileExists too. Any other failure throws
// std::runtime_error and leaves no temporary file.
void WriteIdListCsvFile(const std::filesystem::path& file, const IdPairs& pairs, bool replaceExisting,
                        CsvCells cells = CsvCells::Plain);

}  // namespace orvel
