#pragma once
// Locale-independent number texts. Stored numbers always use "."; displays may ask for ",".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellora {

// Shortest text that reads back to the same double ("49.5", "15", "0.1").
std::string formatShortest(double value);
// Up to 15 significant digits, shortest form: the configuration file's float format.
std::string formatFloat15(double value);
// Fixed notation with the given number of decimals; sep is the decimal separator.
std::string formatFixed(double value, int decimals, char sep = '.');
// Value rounded to `significant` digits first, then written fixed with `decimals` decimals.
std::string formatFixedSignificant(double value, int significant, int decimals, char sep = '.');

// The whole text must be a number (surrounding blanks allowed); sep is the decimal separator.
std::optional<double> parseDouble(std::string_view text, char sep = '.');
// Decimal with optional sign, or hexadecimal after "0x"/"0X".
std::optional<std::int64_t> parseInt(std::string_view text);
std::optional<std::int32_t> parseInt32(std::string_view text);

// Two digits with a leading zero ("05", "12"); values outside 0..99 in full ("123", "-5").
std::string twoDigits(int value);

// Rounds to the nearest integer, ties to even (banker's rounding).
double roundHalfEven(double value);

}  // namespace vellora
