#pragma once
// Value conversions shared by the export formats, and the escaping that keeps the XML formats
// well-formed. Input and output are Windows-1252 byte strings.
#include <string>
#include <string_view>

namespace vellora {

// Rounded to 10 significant digits, exactly 6 decimals: 48.1234567 gives "48.123457".
std::string fixedCoord(double value, char sep = '.');
// The name for devices that show ASCII only (core/AsciiFold): "Château" gives "Chateau", "Müller"
// "Mueller".
std::string asciiName(std::string_view name);
// Upper-cased, umlauts spelled out, only blanks, digits and A to Z, at most 30 characters.
std::string compressedName(std::string_view name);
// A pocket query's cache is stored as "name by owner": the two halves, split at the last " by ".
// Without one the whole text is the name and the owner is empty.
struct NameAndOwner {
    std::string name, owner;
};
NameAndOwner splitOwner(std::string_view cacheName);
// "2006-11-05T14:30:00", as pocket queries write dates; empty for a value that is no date.
std::string isoDateTime(double value);
// "T", "M", "U", "W", "V", "E" or "O" for the cache type (compared upper-cased).
char typeLetter(std::string_view cacheType);
// "L", "R", "S", "M", "V" or "U" for the container size (compared upper-cased).
char sizeLetter(std::string_view cacheSize);

// The character sets an XML file we write can declare.
enum class XmlCharset { Utf8, Latin1, Cp1252 };

// The encoding named by an XML declaration inside text; UTF-8 when there is none or it is unknown.
XmlCharset declaredCharset(std::string_view text);
// A value for element content or an attribute: markup characters as entities, control
// characters (which XML 1.0 cannot carry) as blanks, characters outside the charset as
// numeric references.
std::string xmlEscape(std::string_view value, XmlCharset charset);
// xmlEscape, except that a UTF-8 file gets every character as its UTF-8 bytes, not as a reference.
std::string xmlEscapeEncoded(std::string_view value, XmlCharset charset);
// Template text, already markup: only the characters outside the charset become references.
std::string xmlRecode(std::string_view text, XmlCharset charset);
// Text for a CDATA section: a "]]>" inside is split over two sections.
std::string cdataSafe(std::string_view text);

}  // namespace vellora
