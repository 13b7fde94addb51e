#include "cli/CsvOperands.h"

#include <filesystem>
#include <iostream>

#include "cli/ExitStatus.h"
#include "store/IdListCsv.h"

namespace orvel::cli {

IdPairs ReadCsvOperand(const std::string& source, CsvHeader header) {
  try {
    return source == "-" ? ReadIdListCsvStandardInput(header)
                         : ReadIdListCsvFile(std::filesystem::absolute(source), header);
  } catch (const ECsvHeaderInDoubt& inDoubt) {
    throw ECommandFailed(ExitStatus::BadInput,
                         std::string(inDoubt.what()) +
                             " Add --header to take the line as the header, or --no-header to import it as IDs.");
  } catch (const ECsvRefused& refused) {
    throw ECommandFailed(ExitStatus::BadInput, refused.what());
  }
}

void WriteCsvOperand(const std::string& destination, const IdPairs& pairs, bool replaceExisting, CsvCells cells) {
  if (destination == "-") {
    std::cout << IdListCsvText(pairs, cells) << std::flush;
    return;
  }
  try {
    WriteIdListCsvFile(std::filesystem::absolute(destination), pairs, replaceExisting, cells);
  } catch (const EFileExists& exists) {
    throw ECommandFailed(ExitStatus::BadInput,
                         std::string(exists.what()) + (replaceExisting ? "" : " Add --force to replace it."));
  }
}

}  // namespace orvel::cli
