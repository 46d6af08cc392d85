#include "core/XmlRepair.h"

#include <gtest/gtest.h>

#include "core/XmlText.h"

namespace vellora {
namespace {

// The whole input through the filter in pieces of the given size.
std::string repaired(XmlRepair& repair, const std::string& input, std::size_t piece) {
    std::string out;
    for (std::size_t at = 0; at < input.size(); at += piece) {
        const bool last = at + piece >= input.size();
        out.append(repair.feed(std::string_view(input).substr(at, piece), last));
    }
    if (input.empty()) out.append(repair.feed({}, true));
    return out;
}

// Long enough that the encoding is known before the body comes, so that small pieces are repaired
// one by one.
const std::string kUtf8Head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + std::string(600, ' ');

TEST(XmlRepair, MendsWhatMakesAFileUnreadableAndNothingElse) {
    struct Case {
        const char* name;
        std::string body, expected;
        int repairs;
    };
    const Case cases[] = {
        {"clean text stays", "<a x=\"&amp;\">&lt;&#228;&#xE4;&quot;\xC3\xA4\xE2\x82\xAC</a>",
         "<a x=\"&amp;\">&lt;&#228;&#xE4;&quot;\xC3\xA4\xE2\x82\xAC</a>", 0},
        {"control bytes", "<a>x\x0By\x01\x1Fz\tq\r\n</a>", "<a>x y  z\tq\r\n</a>", 3},
        {"references to control characters", "<a>&#11;&#x1F;&#0;&#10;</a>", "<a>   &#10;</a>", 3},
        {"stray ampersands", "<a t=\"A & B\">Tom & Jerry &amp &; &#; &#xZ; &nbsp;</a>",
         "<a t=\"A &amp; B\">Tom &amp; Jerry &amp;amp &amp;; &amp;#; &amp;#xZ; &amp;nbsp;</a>", 7},
        {"Latin-1 bytes in UTF-8", "<a>Schlo\xDF M\xFChle \xC3\xA4 \xC3</a>",
         "<a>Schlo\xC3\x9F M\xC3\xBChle \xC3\xA4 \xC3\x83</a>", 3},
        {"overlong and surrogate forms", "<a>\xC0\xAF\xED\xA0\x80</a>",
         "<a>\xC3\x80\xC2\xAF\xC3\xAD\xC2\xA0\xE2\x82\xAC</a>", 5},
        {"non-characters", "<a>\xEF\xBF\xBEx\xEF\xBF\xBF</a>", "<a> x </a>", 2},
        {"CDATA, comments and instructions keep their ampersands",
         "<a><![CDATA[A & B ]] ]]>&<!-- x & y --><?pi a & b?></a>",
         "<a><![CDATA[A & B ]] ]]>&amp;<!-- x & y --><?pi a & b?></a>", 1},
        {"control bytes in CDATA", "<a><![CDATA[\x0B]]></a>", "<a><![CDATA[ ]]></a>", 1},
    };
    for (const Case& c : cases) {
        for (std::size_t piece : {std::size_t(1), std::size_t(3), std::size_t(7), std::size_t(1) << 20}) {
            SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
            XmlRepair repair;
            EXPECT_EQ(repaired(repair, kUtf8Head + c.body, piece), kUtf8Head + c.expected);
            EXPECT_EQ(repair.repairs(), static_cast<std::uint64_t>(c.repairs));
            EXPECT_EQ(repair.encoding(), XmlRepair::Encoding::Utf8);
        }
    }
}

TEST(XmlRepair, EncodingDecidesWhatIsMended) {
    // A single-byte file keeps its high bytes; the other repairs still apply.
    XmlRepair latin;
    EXPECT_EQ(repaired(latin, "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xDF & \x0B</a>", 5),
              "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xDF &amp;  </a>");
    EXPECT_EQ(latin.encoding(), XmlRepair::Encoding::SingleByte);
    // No declaration: UTF-8; a byte-order mark does not hide the declaration.
    XmlRepair bare;
    EXPECT_EQ(repaired(bare, "<a>\xDF</a>", 2), "<a>\xC3\x9F</a>");
    XmlRepair bom;
    EXPECT_EQ(repaired(bom, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xE4</a>", 9),
              "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xE4</a>");
    // UTF-16 passes untouched.
    const std::string utf16("\xFF\xFE<\0a\0>\0&\0\x0B\0", 12);
    XmlRepair wide;
    EXPECT_EQ(repaired(wide, utf16, 4), utf16);
    EXPECT_EQ(wide.repairs(), 0u);
    // A file with a document type keeps its named references for the parser to judge.
    XmlRepair typed;
    EXPECT_EQ(repaired(typed, "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e; & </a>", 4),
              "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e; &amp; </a>");
    // ... but the bytes of such a name are checked like all others.
    XmlRepair typedLatin;
    EXPECT_EQ(repaired(typedLatin,
                       "<!DOCTYPE a><a>&\xE2\x82\xFF"
                       "e;</a>",
                       4),
              "<!DOCTYPE a><a>&\xC3\xA2\xE2\x80\x9A\xC3\xBF"
              "e;</a>");
}

TEST(XmlRepair, DescribesTheFirstRepairsWithTheirLines) {
    std::string input = "<a>\n&\n\n\x0B";
    for (int i = 0; i < 12; ++i) input += "\n\xFF";
    input += "</a>";
    XmlRepair repair;
    repaired(repair, input, 5);
    EXPECT_EQ(repair.repairs(), 14u);
    ASSERT_EQ(repair.described().size(), XmlRepair::kDescribed);
    EXPECT_EQ(repair.described()[0], "Zeile 2: \"&\" ohne g\xFCltige Referenz als Zeichen gelesen");
    EXPECT_EQ(repair.described()[1], "Zeile 4: Steuerzeichen 0x0B durch Leerzeichen ersetzt");
    EXPECT_EQ(repair.described()[2], "Zeile 5: Byte 0xFF (kein UTF-8) als Windows-1252 gelesen");
    EXPECT_EQ(repair.described()[9], "Zeile 12: Byte 0xFF (kein UTF-8) als Windows-1252 gelesen");
}

TEST(XmlRepair, OutputOffsetsLeadBackToTheInput) {
    // Each "&" grows by four bytes, each Latin-1 byte by one: the elements begin at known places.
    const std::string input = "<r><w>&</w><w>\xE4\xE4</w><w>ok</w></r>";
    XmlRepair repair;
    const std::string out = repaired(repair, input, 4);
    ASSERT_EQ(out, "<r><w>&amp;</w><w>\xC3\xA4\xC3\xA4</w><w>ok</w></r>");
    // Asked in increasing order, as a parser reports element starts and ends.
    const std::size_t out2 = out.find("<w>", 4), out3 = out.find("<w>", out2 + 1);
    EXPECT_EQ(repair.inputOffset(3), 3u);
    EXPECT_EQ(repair.inputOffset(out2), input.find("<w>", 4));
    EXPECT_EQ(repair.inputOffset(out3), input.rfind("<w>"));
    EXPECT_EQ(repair.inputOffset(out.size()), input.size());
}

TEST(XmlText, DecodesEveryReferenceOnceAndCdataAsItIs) {
    EXPECT_EQ(decodeXmlText("&lt;table bgcolor=&quot;#EEEEEE&quot;&gt;&amp;nbsp;Lang &amp;amp; breit&apos;"),
              "<table bgcolor=\"#EEEEEE\">&nbsp;Lang &amp; breit'");
    EXPECT_EQ(decodeXmlText("&#228;&#xE4;&#x20AC;&#128512;"), "\xC3\xA4\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(decodeXmlText("<![CDATA[&lt;b&gt; & <i>]]>&lt;"), "&lt;b&gt; & <i><");
    // What is no reference stays as written.
    EXPECT_EQ(decodeXmlText("A & B &nbsp; &#xD800; &#; &#99999999; &amp"),
              "A & B &nbsp; &#xD800; &#; &#99999999; &amp");
}

}  // namespace
}  // namespace vellora
