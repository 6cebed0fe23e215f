// The text of each error line. Console text ends its lines with CR LF on every platform.
#include <cinttypes>
#include <cstdio>

#include "convert.h"

namespace tavrix {
namespace {

std::string input_position(const ConversionError& error) {
  char text[64];
  std::snprintf(text, sizeof text, ": line %" PRId64 ", column %" PRId64 ": ", error.line,
                error.column);
  return text;
}

std::string unexpected_byte_reason(std::uint8_t byte) {
  char text[32];
  if (byte > 0x20 && byte < 0x7F) {
    std::snprintf(text, sizeof text, "unexpected character '%c'", byte);
  } else {
    std::snprintf(text, sizeof text, "unexpected byte 0x%02X", byte);
  }
  return text;
}

std::string out_of_range_reason(const ConversionError& error) {
  char text[80];
  std::snprintf(text, sizeof text, "value %s%" PRIu64 "%s is outside -32768..32767",
                error.negative ? "-" : "", error.magnitude, error.more_digits ? "..." : "");
  return text;
}

std::string row_length_reason(const ConversionError& error) {
  char text[96];
  std::snprintf(text, sizeof text,
                ": line %" PRId64 ": %" PRId64 " values, expected %" PRId64 " as on the first row",
                error.line, error.values, error.expected);
  return text;
}

}  // namespace

std::string error_message(const ConversionError& error) {
  std::string text = "ERROR - ";
  switch (error.code) {
    case ErrorCode::success:
      return {};
    case ErrorCode::cannot_open_input:
      text += "File cannot open " + error.path;
      break;
    case ErrorCode::cannot_read_input:
      text += "File cannot read " + error.path;
      break;
    case ErrorCode::cannot_create_output:
      text += "File cannot create " + error.path;
      break;
    case ErrorCode::output_is_input:
      text += "File cannot create " + error.path + ": it is the input file";
      break;
    case ErrorCode::cannot_write_output:
      text += "File cannot write " + error.path;
      break;
    case ErrorCode::unexpected_byte:
      text += error.path + input_position(error) + unexpected_byte_reason(error.byte);
      break;
    case ErrorCode::sign_without_digits:
      text += error.path + input_position(error) + "sign without digits";
      break;
    case ErrorCode::value_out_of_range:
      text += error.path + input_position(error) + out_of_range_reason(error);
      break;
    case ErrorCode::row_length_mismatch:
      text += error.path + row_length_reason(error);
      break;
    case ErrorCode::no_values:
      text += error.path + ": no values";
      break;
  }
  return text + "\r\n";
}

}  // namespace tavrix
