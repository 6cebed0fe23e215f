#include "reference_scanner.h"

namespace tavrix::reference {
namespace {

bool is_separator(char c) {
  return c == ' ' || c == '\t' || c == ',';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_sign(char c) {
  return c == '-' || c == '+';
}

struct Line {
  std::string_view text;  // without its line end
  std::int64_t number;
};

// LF, CR LF and a lone CR each end a line; the text after the last line end is a line too.
std::vector<Line> split_lines(std::string_view input) {
  std::vector<Line> lines;
  std::size_t start = 0;
  std::int64_t number = 1;
  std::size_t i = 0;
  while (i < input.size()) {
    if (input[i] == '\n' || input[i] == '\r') {
      lines.push_back({input.substr(start, i - start), number++});
      if (input[i] == '\r' && i + 1 < input.size() && input[i + 1] == '\n') ++i;
      start = i + 1;
    }
    ++i;
  }
  lines.push_back({input.substr(start), number});
  return lines;
}

ScanResult fail(ScanResult result, ErrorCode code, std::int64_t line, std::int64_t column) {
  result.error.code = code;
  result.error.line = line;
  result.error.column = column;
  return result;
}

}  // namespace

ScanResult scan(std::string_view input) {
  ScanResult result;
  const std::string_view byte_order_mark = "\xEF\xBB\xBF";
  if (input.substr(0, 3) == byte_order_mark) input.remove_prefix(3);
  if (const std::size_t end_mark = input.find('\x1A'); end_mark != std::string_view::npos) {
    input = input.substr(0, end_mark);
  }

  for (const Line& line : split_lines(input)) {
    std::int64_t values = 0;
    std::size_t i = 0;
    while (i < line.text.size()) {
      if (is_separator(line.text[i])) {
        ++i;
        continue;
      }
      // A field: every byte up to the next separator or the end of the line.
      const std::size_t start = i;
      while (i < line.text.size() && !is_separator(line.text[i])) ++i;
      const std::string_view field = line.text.substr(start, i - start);
      const auto column_of = [&](std::size_t at) {
        return static_cast<std::int64_t>(start + at + 1);
      };

      std::size_t first_digit = is_sign(field[0]) ? 1 : 0;
      if (first_digit == 1 && field.size() == 1) {
        return fail(result, ErrorCode::sign_without_digits, line.number, column_of(0));
      }
      for (std::size_t at = first_digit; at < field.size(); ++at) {
        if (!is_digit(field[at])) {
          result.error.byte = static_cast<std::uint8_t>(field[at]);
          return fail(result, ErrorCode::unexpected_byte, line.number, column_of(at));
        }
      }

      std::string_view digits = field.substr(first_digit);
      while (digits.size() > 1 && digits[0] == '0') digits.remove_prefix(1);
      const bool negative = field[0] == '-';
      std::uint64_t magnitude = 0;
      for (std::size_t at = 0; at < digits.size() && at < 18; ++at) {
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(digits[at] - '0');
      }
      if (digits.size() > 5 || magnitude > (negative ? 32768u : 32767u)) {
        result.error.negative = negative;
        result.error.magnitude = magnitude;
        result.error.more_digits = digits.size() > 18;
        return fail(result, ErrorCode::value_out_of_range, line.number, column_of(0));
      }
      result.cells.push_back(negative ? -static_cast<int>(magnitude) : static_cast<int>(magnitude));
      ++values;
    }

    if (values == 0) continue;
    if (result.rows == 0) {
      result.columns = values;
    } else if (values != result.columns) {
      result.error.values = values;
      result.error.expected = result.columns;
      return fail(result, ErrorCode::row_length_mismatch, line.number, 0);
    }
    ++result.rows;
  }

  if (result.rows == 0) return fail(result, ErrorCode::no_values, 0, 0);
  return result;
}

}  // namespace tavrix::reference
