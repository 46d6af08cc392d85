#pragma once
// Cells and fields of the separated-values files we write from outside data (cache names, types,
// country names): one rule for a spreadsheet cell, one for a field of a line format that knows no
// quoting. Input and output are Windows-1252 byte strings.
#include <string>
#include <string_view>

namespace vellora {

// Whether the whole text is a plain decimal number: an optional sign, digits, at most one "." or
// "," with digits on at least one side ("-12.5", "+3", "1,5").
bool isPlainNumber(std::string_view text);

// A spreadsheet cell: a value that would begin with "=", "+", "-", "@", a tab or CR is read as a
// formula, so it gets a leading apostrophe, unless it is a plain number; the cell is enclosed in
// double quotes when alwaysQuoted or when it holds the separator, a quote or a line break, and its
// quotes are doubled.
std::string csvCell(std::string_view value, char separator, bool alwaysQuoted);

// A field of a line format without quoting: the separator becomes replacement, and line breaks and
// the other control characters become blanks, so that every line keeps its fields.
std::string plainField(std::string_view value, char separator, char replacement);

}  // namespace vellora
