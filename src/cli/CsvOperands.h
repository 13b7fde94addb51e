#pragma once

#include <string>

#include "store/IdListCsv.h"
#include "store/IdPairs.h"

namespace orvel::cli {

// A CSV file named on the command line, or "-" for standard input: its pairs. A file the
// CSV rules refuse is bad input.
IdPairs ReadCsvOperand(const std::string& source, CsvHeader header = CsvHeader::Detect);

// Writes the pairs as CSV to the file named on the command line (standard output for
// "-"). An existing file is replaced only when replaceExisting; otherwise bad input.
void WriteCsvOperand(const std::string& destination, const IdPairs& pairs, bool replaceExisting,
                     CsvCells cells = CsvCells::Plain);

}  // namespace orvel::cli
