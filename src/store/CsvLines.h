#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/TextDecoding.h"

// The lines of CSV text split into fields as RFC 4180 has it, before any field is read as
// characters or given a meaning.

namespace orvel {

// Which way the first line that holds anything separates its fields, as spreadsheets
// save them in different locales and as "text" files: by whichever of commas, semicolons
// and tabs it has most of, commas first when that is in doubt.
char CsvSeparatorOf(std::string_view text);

// A fault in the quoting of a line: a quoted field that holds a line break, that is
// never closed, or that text follows. Column and character count from 1; character 0
// names the whole field.
struct QuotingFault {
  int column = 0;
  int character = 0;
  std::string rule;
};

struct CsvLine {
  int number = 0;  // from 1
  bool empty = false;
  std::vector<std::string> fields;  // as bytes, quotes taken off
  // The first quoting fault. The line is read to its end all the same, so that its field
  // count can still name the column.
  std::optional<QuotingFault> fault;
};

class CsvLines {
 public:
  // Text is not copied; encoding only counts characters for fault positions.
  CsvLines(std::string_view text, char separator, TextEncoding encoding)
      : text_(text), separator_(separator), encoding_(encoding) {}

  char Separator() const { return separator_; }

  // The next line; false at the end of the text. Lines end in LF or CRLF; a carriage
  // return anywhere else is part of its field.
  bool Next(CsvLine& line);

 private:
  char Peek(std::size_t ahead = 0) const { return position_ + ahead < text_.size() ? text_[position_ + ahead] : '\0'; }
  bool AtEnd() const { return position_ >= text_.size(); }
  bool AtLineEnd() const;
  std::string PlainField();
  std::string QuotedField(int column, std::optional<QuotingFault>& fault);
  int CharactersIn(std::string_view bytes) const;

  std::string_view text_;
  char separator_;
  TextEncoding encoding_;
  std::size_t position_ = 0;
  int lineNumber_ = 0;
};

}  // namespace orvel
