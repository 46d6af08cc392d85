#pragma once
// What the booklet needs of a finished PDF, without an HTML engine: the page each named
// destination points to (the engine writes one per link target), and a footer stamped on every
// page. The only code that talks to libqpdf.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vellora {

struct PdfDestinations {
    int pageCount = 0;
    std::map<std::string, int> pages;  // destination name -> page number, from 1
};

// Reads both ways of naming destinations (the catalog's /Dests dictionary and the /Names /Dests
// tree). Nothing and a German reason in error when the bytes are no readable PDF.
std::optional<PdfDestinations> readPdfDestinations(std::string_view pdf, std::string* error = nullptr);

// Every page gets the footer text (Windows-1252) for its number and the page count, centred at
// its foot in Helvetica. The new PDF's bytes, or nothing and a German reason in error.
using PdfFooterText = std::function<std::string(int page, int pageCount)>;
std::optional<std::string> stampPdfFooters(std::string_view pdf, const PdfFooterText& footer,
                                           std::string* error = nullptr);

// "Seite 3 von 12"
std::string bookletFooterText(int page, int pageCount);

}  // namespace vellora
