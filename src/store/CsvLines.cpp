#include "store/CsvLines.h"

namespace orvel {

char CsvSeparatorOf(std::string_view text) {
  std::size_t commas = 0;
  std::size_t semicolons = 0;
  std::size_t tabs = 0;
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n' && commas + semicolons + tabs > 0) break;
    commas += c == ',' ? 1 : 0;
    semicolons += c == ';' ? 1 : 0;
    tabs += c == '\t' ? 1 : 0;
  }
  if (semicolons > commas && semicolons >= tabs) return ';';
  return tabs > commas && tabs > semicolons ? '\t' : ',';
}

bool CsvLines::Next(CsvLine& line) {
  if (AtEnd()) return false;
  line = CsvLine{++lineNumber_, AtLineEnd(), {}, {}};
  for (;;) {
    const int column = static_cast<int>(line.fields.size()) + 1;
    line.fields.push_back(Peek() == '"' ? QuotedField(column, line.fault) : PlainField());
    if (Peek() != separator_) break;
    ++position_;
  }
  if (Peek() == '\r') ++position_;
  if (Peek() == '\n') ++position_;
  return true;
}

// A carriage return ends a line only before a line feed or at the end of the text;
// anywhere else it is a control character in a field.
bool CsvLines::AtLineEnd() const {
  return AtEnd() || Peek() == '\n' || (Peek() == '\r' && (Peek(1) == '\n' || position_ + 1 == text_.size()));
}

std::string CsvLines::PlainField() {
  const std::size_t start = position_;
  while (!AtLineEnd() && Peek() != separator_) ++position_;
  return std::string(text_.substr(start, position_ - start));
}

std::string CsvLines::QuotedField(int column, std::optional<QuotingFault>& fault) {
  const auto note = [&](int character, const char* rule) {
    if (!fault) fault = QuotingFault{column, character, rule};
  };
  std::string field;
  ++position_;
  for (;;) {
    if (AtEnd()) {
      note(0, "the quoted field has no closing quote mark.");
      return field;
    }
    const char c = text_[position_];
    if (c == '"' && Peek(1) == '"') {
      field += '"';
      position_ += 2;
    } else if (c == '"') {
      ++position_;
      break;
    } else {
      if (c == '\n' || c == '\r') {
        note(CharactersIn(field) + 1,
             "the quoted field holds a line break, which no ID can hold; every row must be on a line of its own.");
      }
      field += c;
      ++position_;
    }
  }
  if (!AtLineEnd() && Peek() != separator_) {
    note(CharactersIn(field) + 1,
         "text follows the closing quote mark of the quoted field; a quote mark inside a quoted field is written "
         "twice (\"\").");
    field += PlainField();
  }
  return field;
}

int CsvLines::CharactersIn(std::string_view bytes) const {
  return static_cast<int>(DecodeText(bytes, encoding_).characters.size());
}

}  // namespace orvel
