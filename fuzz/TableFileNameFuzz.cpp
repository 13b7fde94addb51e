// The mapping of table names, typed by the operator, to file names: every file name stays
// inside the table's folder, reads back as its table name, and no two names share one.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "tables/TableFileName.h"

namespace {

constexpr std::size_t kLongestFileName = 255;

std::string CheckedFileName(const std::string& tableName) {
  const std::string file = orvel::TableFileName(tableName);
  ORVEL_FUZZ_CHECK(!file.empty() && file.size() <= kLongestFileName);
  ORVEL_FUZZ_CHECK(file.find_first_of(std::string_view("/\\\0:", 4)) == std::string::npos);
  ORVEL_FUZZ_CHECK(file.front() != '.' && file.back() != ' ' && file.back() != '.');
  const std::filesystem::path folder = "/folder";
  const std::filesystem::path placed = (folder / file).lexically_normal();
  ORVEL_FUZZ_CHECK(placed.parent_path() == folder && placed.filename() == file);

  const auto readBack = orvel::TableNameOfFile(file);
  // A name too long for a file name is shortened, with a hash; its full name is kept in the file.
  if (readBack) {
    ORVEL_FUZZ_CHECK(*readBack == tableName);
  } else {
    ORVEL_FUZZ_CHECK(file.find('~') != std::string::npos);
  }
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input holds two names, split at the first zero byte; the empty name has no file.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string first(input.substr(0, split));
  const std::string second(split == std::string_view::npos ? std::string_view() : input.substr(split + 1));
  if (first.empty() || second.empty()) return 0;
  const std::string firstFile = CheckedFileName(first);
  const std::string secondFile = CheckedFileName(second);
  ORVEL_FUZZ_CHECK((first == second) == (firstFile == secondFile));
  return 0;
}
