#include "cli/CsvOperands.h"

#include <filesystem>
#include <iostream>

#include "cli/ExitStatus.h"
#include "store/IdListCsv.h"

namespace orvel::cli {

IdPairs ReadCsvOperand(const std::string& source) {
  try {
    return source == "-" ? ReadIdListCsvStandardInput() : ReadIdListCsvFile(std::filesystem::absolute(source));
  } catch (const ECsvRefused& refused) {
    throw ECommandFailed(ExitStatus::BadInput, refused.what());
  }
}

void WriteCsvOperand(const std::string& destination, const IdPairs& pairs, bool replaceExisting) {
  if (destination == "-") {
    std::cout << IdListCsvText(pairs) << std::flush;
    return;
  }
  try {
    WriteIdListCsvFile(std::filesystem::absolute(destination), pairs, replaceExisting);
  } catch (const EFileExists& exists) {
    throw ECommandFailed(ExitStatus::BadInput,
                         std::string(exists.what()) + (replaceExisting ? "" : " Add --force to replace it."));
  }
}

}  // namespace orvel::cli
