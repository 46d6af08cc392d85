#include "pdf/PdfPages.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <exception>
#include <vector>

namespace vellora {
namespace {

constexpr double kFooterFontSize = 9.0;
constexpr double kFooterBaseline = 22.0;  // points above the page's lower edge, inside its margin
constexpr const char* kFooterFont = "/VelloraFooter";

void openPdf(QPDF& doc, std::string_view bytes) {
    doc.setSuppressWarnings(true);
    // The engine's output is kept in memory; qpdf reads it in place.
    doc.processMemoryFile("booklet.pdf", bytes.data(), bytes.size());
}

// The page a destination names: an array whose first element is the page, or a dictionary /D.
QPDFObjectHandle destinationPage(QPDFObjectHandle dest) {
    if (dest.isDictionary() && dest.hasKey("/D")) dest = dest.getKey("/D");
    if (dest.isArray() && dest.getArrayNItems() > 0) return dest.getArrayItem(0);
    return QPDFObjectHandle::newNull();
}

// Helvetica's advance widths (thousandths of the font size); digits and most lower-case letters
// are 556, which serves as the default.
double helveticaWidth(std::string_view text) {
    double units = 0;
    for (char c : text) {
        switch (c) {
            case ' ':
            case 't':
            case 'f':
            case 'I':
                units += 278;
                break;
            case 'i':
            case 'l':
            case 'j':
                units += 222;
                break;
            case 'r':
                units += 333;
                break;
            case 'S':
                units += 667;
                break;
            case 'v':
                units += 500;
                break;
            default:
                units += 556;
                break;
        }
    }
    return units * kFooterFontSize / 1000.0;
}

std::string pdfStringLiteral(std::string_view text) {
    std::string out = "(";
    for (char c : text) {
        if (c == '(' || c == ')' || c == '\\') out += '\\';
        out += c;
    }
    return out + ")";
}

std::string footerContent(const std::string& text, double pageWidth) {
    char position[64];
    std::snprintf(position, sizeof position, "%.2f %.2f Td\n", (pageWidth - helveticaWidth(text)) / 2,
                  kFooterBaseline);
    return std::string("q\nBT\n") + kFooterFont + " " + std::to_string(static_cast<int>(kFooterFontSize)) +
           " Tf\n0 g\n" + position + pdfStringLiteral(text) + " Tj\nET\nQ\n";
}

QPDFObjectHandle footerFont() {
    return QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
        "/Encoding /WinAnsiEncoding >>");
}

}  // namespace

std::optional<PdfDestinations> readPdfDestinations(std::string_view bytes, std::string* error) {
    try {
        QPDF doc;
        openPdf(doc, bytes);
        PdfDestinations out;
        std::map<QPDFObjGen, int> numberOf;
        int number = 0;
        for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(doc).getAllPages())
            numberOf[page.getObjectHandle().getObjGen()] = ++number;
        out.pageCount = number;
        const auto note = [&](const std::string& name, QPDFObjectHandle dest) {
            QPDFObjectHandle page = destinationPage(dest);
            if (!page.isIndirect()) return;
            const auto found = numberOf.find(page.getObjGen());
            if (found != numberOf.end()) out.pages[name] = found->second;
        };
        QPDFObjectHandle root = doc.getRoot();
        QPDFObjectHandle dests = root.getKey("/Dests");
        if (dests.isDictionary())
            for (const auto& [key, dest] : dests.getDictAsMap()) note(key.substr(1), dest);
        QPDFObjectHandle names = root.getKey("/Names");
        if (names.isDictionary() && names.getKey("/Dests").isDictionary()) {
            QPDFNameTreeObjectHelper tree(names.getKey("/Dests"), doc);
            for (const auto& [name, dest] : tree) note(name, dest);
        }
        return out;
    } catch (const std::exception& e) {
        if (error) *error = std::string("PDF nicht lesbar: ") + e.what();
        return std::nullopt;
    }
}

std::optional<std::string> stampPdfFooters(std::string_view bytes, const PdfFooterText& footer,
                                           std::string* error) {
    try {
        QPDF doc;
        openPdf(doc, bytes);
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(doc).getAllPages();
        const int count = static_cast<int>(pages.size());
        QPDFObjectHandle font = doc.makeIndirectObject(footerFont());
        for (int i = 0; i < count; ++i) {
            QPDFPageObjectHelper& page = pages[static_cast<std::size_t>(i)];
            QPDFObjectHandle resources = page.getAttribute("/Resources", true);
            if (!resources.isDictionary()) {
                resources = QPDFObjectHandle::newDictionary();
                page.getObjectHandle().replaceKey("/Resources", resources);
            }
            QPDFObjectHandle fonts = resources.getKey("/Font");
            if (!fonts.isDictionary()) {
                fonts = QPDFObjectHandle::newDictionary();
                resources.replaceKey("/Font", fonts);
            } else if (fonts.isIndirect()) {
                // Pages may share one font dictionary; the footer's entry is added to a copy.
                fonts = fonts.shallowCopy();
                resources.replaceKey("/Font", fonts);
            }
            fonts.replaceKey(kFooterFont, font);
            QPDFObjectHandle box = page.getMediaBox();
            double width = 595.0;
            if (box.isRectangle()) {
                const QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
                width = r.urx - r.llx;
            }
            // The page's own drawing may leave a transformation behind: wrap it in q ... Q.
            page.addPageContents(QPDFObjectHandle::newStream(&doc, "q\n"), true);
            page.addPageContents(
                QPDFObjectHandle::newStream(&doc, "Q\n" + footerContent(footer(i + 1, count), width)), false);
        }
        QPDFWriter writer(doc);
        writer.setOutputMemory();
        writer.setStaticID(false);
        writer.write();
        const auto buffer = writer.getBufferSharedPointer();
        return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
    } catch (const std::exception& e) {
        if (error) *error = std::string("PDF nicht bearbeitbar: ") + e.what();
        return std::nullopt;
    }
}

std::string bookletFooterText(int page, int pageCount) {
    return "Seite " + std::to_string(page) + " von " + std::to_string(pageCount);
}

}  // namespace vellora
