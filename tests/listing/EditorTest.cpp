#include "listing/Editor.h"

#include <gtest/gtest.h>

#include "core/FileUtil.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

TEST(NormalizeCrLf, EveryKindOfLineEndBecomesCrLf) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"a", "a\r\n"},
        {"a\r\n", "a\r\n"},
        {"a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd\r\n"},
        {"\r\n\r\n", "\r\n\r\n"},
        {"a\n\r\nb", "a\r\n\r\nb\r\n"},  // LF then CR LF: two line ends
        {"a\r\rb\n\n", "a\r\n\r\nb\r\n\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(normalizeCrLf(c.in), c.out) << c.in;
}

TEST(SplitLongDescription, HeadBodyTail) {
    const struct {
        std::string text;
        bool found;
        std::string head, body;
    } cases[] = {
        {"a<!-- Langbeschreibung Start -->B<!-- Langbeschreibung Ende -->c", true,
         "a<!-- Langbeschreibung Start -->", "B"},
        {"<!-- Langbeschreibung Start --><!-- Langbeschreibung Ende -->", true,
         "<!-- Langbeschreibung Start -->", ""},
        // The first start marker and the first end marker behind it.
        {"<!-- Langbeschreibung Start -->1<!-- Langbeschreibung Start -->2<!-- Langbeschreibung Ende -->3"
         "<!-- Langbeschreibung Ende -->",
         true, "<!-- Langbeschreibung Start -->", "1<!-- Langbeschreibung Start -->2"},
        {"<!-- Langbeschreibung Ende -->x<!-- Langbeschreibung Start -->y<!-- Langbeschreibung Ende -->z",
         true, "<!-- Langbeschreibung Ende -->x<!-- Langbeschreibung Start -->", "y"},
        {"<!-- Langbeschreibung Ende -->x<!-- Langbeschreibung Start -->y", false, "", ""},
        {"<!-- Langbeschreibung Start -->y", false, "", ""},
        {"y<!-- Langbeschreibung Ende -->", false, "", ""},
        {"<!-- langbeschreibung start -->y<!-- Langbeschreibung Ende -->", false, "", ""},
    };
    for (const auto& c : cases) {
        const auto parts = splitLongDescription(c.text);
        ASSERT_EQ(parts.has_value(), c.found) << c.text;
        if (!parts) continue;
        EXPECT_EQ(parts->head, c.head);
        EXPECT_EQ(parts->body, c.body);
        EXPECT_EQ(parts->head + parts->body + parts->tail, c.text);
    }
}

class LongDescrEditor : public ::testing::Test {
protected:
    // A converted description as the template lays the markers out, with mixed line ends.
    static constexpr const char* kPage =
        "<html><body>\n"
        "<h1>Alte M\xFChle</h1>\r"
        "<!-- Langbeschreibung Start -->\r\n"
        "<P>Der Cache liegt am Bach.<BR>\n"
        "Viel Spa\xDF!\r\n"
        "<!-- Langbeschreibung Ende -->\n"
        "<p>Logs</p>\n"
        "</body></html>";

    std::string dir() { return home.ctx().outDirPath(); }
    std::string file() { return home.dir.read("GC1_converted.html"); }

    test::TestHome home;
};

TEST_F(LongDescrEditor, OpensWithTheEditablePart) {
    home.dir.write("GC1_converted.html", kPage);
    TfrmEditor ed(home.ctx());
    ASSERT_TRUE(ed.Edit(dir(), "GC1"));
    EXPECT_TRUE(ed.isOpen());
    EXPECT_EQ(ed.filePath(), dir() + "GC1_converted.html");
    EXPECT_EQ(ed.text, "\r\n<P>Der Cache liegt am Bach.<BR>\r\nViel Spa\xDF!\r\n");
    EXPECT_EQ(ed.head(), "<html><body>\r\n<h1>Alte M\xFChle</h1>\r\n<!-- Langbeschreibung Start -->");
    EXPECT_EQ(ed.tail(), "<!-- Langbeschreibung Ende -->\r\n<p>Logs</p>\r\n</body></html>\r\n");
    EXPECT_FALSE(ed.wordWrap);
    EXPECT_TRUE(ed.horizontalScrollBar());
    ed.wordWrap = true;
    EXPECT_FALSE(ed.horizontalScrollBar());
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(LongDescrEditor, SavingUnchangedOnlyNormalisesLineEndsAndIsStable) {
    home.dir.write("GC1_converted.html", kPage);
    const std::string normalised = normalizeCrLf(kPage);
    for (int round = 0; round < 2; ++round) {
        TfrmEditor ed(home.ctx());
        ASSERT_TRUE(ed.Edit(dir(), "GC1"));
        ASSERT_TRUE(ed.btnSaveClick());
        EXPECT_FALSE(ed.isOpen());
        EXPECT_EQ(file(), normalised) << "round " << round;
    }
    EXPECT_TRUE(home.host.messages.empty());  // ShowMessages is off
}

TEST_F(LongDescrEditor, SavesTheEditedTextWithCrLfAndConfirmsWhenMessagesAreOn) {
    home.dir.write("GC1_converted.html", kPage);
    home.ctx().settings.ShowMessages = true;
    TfrmEditor ed(home.ctx());
    ASSERT_TRUE(ed.Edit(dir(), "GC1"));
    ed.text = "\nNur noch das.\nZweite Zeile";  // as a text area hands it back: LF, no final line end
    ASSERT_TRUE(ed.btnSaveClick());
    EXPECT_EQ(
        file(),
        "<html><body>\r\n<h1>Alte M\xFChle</h1>\r\n<!-- Langbeschreibung Start -->\r\n"
        "Nur noch das.\r\nZweite Zeile<!-- Langbeschreibung Ende -->\r\n<p>Logs</p>\r\n</body></html>\r\n");
    EXPECT_EQ(home.host.textsOf(MsgKind::Information),
              std::vector<std::string>{"Die \xC4nderungen wurden gespeichert."});

    TfrmEditor again(home.ctx());
    ASSERT_TRUE(again.Edit(dir(), "GC1"));
    EXPECT_EQ(again.text, "\r\nNur noch das.\r\nZweite Zeile");
}

TEST_F(LongDescrEditor, DiscardLeavesTheFileAlone) {
    home.dir.write("GC1_converted.html", kPage);
    TfrmEditor ed(home.ctx());
    ASSERT_TRUE(ed.Edit(dir(), "GC1"));
    ed.text = "weg";
    ed.btnDiscardClick();
    EXPECT_FALSE(ed.isOpen());
    EXPECT_FALSE(ed.btnSaveClick());
    EXPECT_EQ(file(), kPage);
}

TEST_F(LongDescrEditor, MissingMarkersOrFileGiveTheirMessageAndNoEditor) {
    home.dir.write("GC1_converted.html", "<html><!-- Langbeschreibung Start -->text</html>\r\n");
    TfrmEditor ed(home.ctx());
    EXPECT_FALSE(ed.Edit(dir(), "GC1"));
    EXPECT_FALSE(ed.isOpen());
    EXPECT_FALSE(ed.Edit(dir(), "GC2"));
    EXPECT_EQ(
        home.host.textsOf(MsgKind::Error),
        (std::vector<std::string>{
            "Mindestens einer der Formatierungs-Tags\r\n<!-- Langbeschreibung Start --> oder\r\n"
            "<!-- Langbeschreibung Ende -->\r\nwurde in der konvertierten Beschreibung nicht gefunden.\r\n"
            "Vor dem Editieren muss die Beschreibung nochmals mit einem\r\naktuellen Template erzeugt "
            "werden.",
            "Fehler beim Laden der Cachebeschreibung " + dir() + "GC2_converted.html"}));
    EXPECT_EQ(file(), "<html><!-- Langbeschreibung Start -->text</html>\r\n");

    // No cache selected: nothing at all.
    const std::size_t before = home.host.messages.size();
    EXPECT_FALSE(ed.Edit(dir(), ""));
    EXPECT_EQ(home.host.messages.size(), before);
}

TEST_F(LongDescrEditor, WriteErrorKeepsTheWindowOpen) {
    home.dir.write("GC1_converted.html", kPage);
    TfrmEditor ed(home.ctx());
    ASSERT_TRUE(ed.Edit(dir(), "GC1"));
    // The file turned into a directory meanwhile: it cannot be replaced.
    ASSERT_EQ(removeFile(home.dir.file("GC1_converted.html")), 0);
    ASSERT_EQ(makeDirs(home.dir.file("GC1_converted.html") + "/x"), 0);
    ed.text = "neu";
    EXPECT_FALSE(ed.btnSaveClick());
    EXPECT_TRUE(ed.isOpen());
    EXPECT_EQ(ed.text, "neu");
    EXPECT_EQ(home.host.textsOf(MsgKind::Error),
              std::vector<std::string>{"Fehler beim Speichern der Beschreibung!"});
}

TEST_F(LongDescrEditor, PreviewWritesTmpdescrAndLeavesTheDescription) {
    home.dir.write("GC1_converted.html", kPage);
    TfrmEditor ed(home.ctx());
    ASSERT_TRUE(ed.Edit(dir(), "GC1"));
    ed.text = "<P>Ge\xE4ndert</P>";
    ASSERT_TRUE(ed.btnPreviewClick());
    EXPECT_EQ(ed.previewPath(), home.workFile("tmpdescr.html"));
    EXPECT_EQ(home.host.opened, std::vector<std::string>{"file://" + home.workFile("tmpdescr.html")});
    EXPECT_EQ(home.dir.read("tmpdescr.html"),
              "<html><head>\r\n"
              "<title>Vorschau der ge&auml;nderten Beschreibung</title>\r\n"
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
              "<style type=\"text/css\">\r\n"
              "<!--\r\n"
              "  body { color:black; font-family:\"Arial\"; font-size:12px }\r\n"
              "  p { color:black; font-family:\"Arial\"; font-size:12px }\r\n"
              "  td { color:black; font-family:\"Arial\"; font-size:12px }\r\n"
              "  h1 { color:black; font-family:\"Arial\"; font-weight:normal; font-size:16px }\r\n"
              "-->\r\n"
              "</style>\r\n"
              "</head>\r\n"
              "<body>\r\n"
              "<h1>Hinweis:</h1>\r\n"
              "<p>Diese Vorschau gibt lediglich die ge&auml;nderte <b>Langbeschreibung</b> des Caches\r\n"
              "(innerhalb des hellgrauen Kastens) wieder. Andere Elemente wie Bilder, Koordinaten, Logs etc. "
              "fehlen "
              "hier.</p>\r\n"
              "<table border=\"1\" bgcolor=\"#F0F0F0\"><tr><td>\r\n"
              "<P>Ge\xE4ndert</P>\r\n"
              "</td></tr></table>\r\n"
              "</body></html>\r\n");
    EXPECT_EQ(file(), kPage);
    EXPECT_TRUE(ed.isOpen());
}

}  // namespace
}  // namespace vellora
