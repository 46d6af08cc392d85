#pragma once
// The one rule for XML files from strangers that are damaged the way real files are: a filter in
// front of the parser that mends, piece by piece and without copying a clean piece, what would
// otherwise make the whole file unreadable:
// - characters XML forbids (control bytes, references to them, U+FFFE/U+FFFF) become blanks;
// - an "&" that starts no reference the parser can resolve is taken literally ("&amp;");
// - in a UTF-8 file, bytes that are no UTF-8 are read as Windows-1252.
// Comments, CDATA sections and processing instructions keep their "&". A file with a document type
// keeps its named references, so that the parser still judges entity declarations. UTF-16 files
// pass unchanged. Each repair is counted; the first ones are described with their line.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

class XmlRepair {
public:
    enum class Encoding { Unknown, Utf8, SingleByte, Untouched };
    static constexpr std::size_t kDescribed = 10;

    // Unknown: taken from the byte-order mark and the XML declaration of the first piece.
    explicit XmlRepair(Encoding encoding = Encoding::Unknown) : encoding_(encoding) {}

    // Repairs the next piece of the input. Bytes that may belong to something the next piece
    // completes are held back until then; with last everything is given out. The result stays
    // valid until the next call.
    std::string_view feed(std::string_view piece, bool last);

    // The input offset of an offset in the output given out so far. Asked in increasing order;
    // earlier offsets are forgotten.
    std::uint64_t inputOffset(std::uint64_t outputOffset);

    Encoding encoding() const { return encoding_; }
    std::uint64_t repairs() const { return repairs_; }
    // "Zeile 12: ..." for the first kDescribed repairs (Windows-1252).
    const std::vector<std::string>& described() const { return described_; }

private:
    enum class Section { Markup, Cdata, Comment, Pi };
    struct Shift {
        std::uint64_t output, input;  // the same place in both
    };

    void detectEncoding(std::string_view head);
    // Length of the item at i, or 0 when more input is needed to tell.
    std::size_t handle(std::string_view buf, std::size_t i, bool last);
    // Puts by in place of length bytes at i; describe() tells what was mended.
    template <typename Describe>
    void replace(std::string_view buf, std::size_t i, std::size_t length, std::string_view by,
                 Describe describe);

    Encoding encoding_;
    Section section_ = Section::Markup;
    bool doctype_ = false;
    std::string carry_, joined_, out_;
    std::size_t copied_ = 0;        // bytes of the current buffer already in out_
    std::size_t holdFrom_ = 0;      // where a piece that needs more input begins
    std::size_t linesCounted_ = 0;  // bytes of the current buffer whose line ends are counted
    std::uint64_t inputStart_ = 0;  // input offset of the current buffer
    std::uint64_t outputStart_ = 0;
    std::uint64_t line_ = 1;
    std::uint64_t repairs_ = 0;
    std::vector<std::string> described_;
    std::deque<Shift> shifts_;
};

}  // namespace vellora
