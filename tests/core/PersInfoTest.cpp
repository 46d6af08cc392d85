#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/IniFile.h"
#include "core/PersInfo.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using Lines = std::vector<std::string>;

class Notes : public ::testing::Test {
protected:
    std::string file() { return home.dir.read("Persinfo.txt"); }
    test::TestHome home;
};

TEST_F(Notes, EmptyLineIsStoredAsEmptyKeyAndReadBack) {
    WriteNote(home.ctx(), "GC1234", {"first line", "", "third line"});
    EXPECT_EQ(file(), "[GC1234]\r\nZ0=first line\r\nZ1=\r\nZ2=third line\r\n");
    EXPECT_EQ(ReadNote(home.ctx(), "GC1234"), (Lines{"first line", "", "third line"}));
    EXPECT_TRUE(HasNote(home.ctx(), "GC1234"));
}

TEST_F(Notes, LinesLoseSurroundingBlanksAndAreCutWhenRead) {
    const std::string longLine(3000, 'x');
    WriteNote(home.ctx(), "GC1", {"  indented", "trailing   ", longLine});
    EXPECT_EQ(ReadNote(home.ctx(), "GC1"), (Lines{"indented", "trailing", std::string(2047, 'x')}));
}

TEST_F(Notes, WritingAnEmptyListRemovesTheNote) {
    WriteNote(home.ctx(), "GC1", {"keep"});
    WriteNote(home.ctx(), "GC2", {"a", "b"});
    WriteNote(home.ctx(), "GC2", {});
    EXPECT_FALSE(HasNote(home.ctx(), "GC2"));
    EXPECT_TRUE(ReadNote(home.ctx(), "GC2").empty());
    EXPECT_EQ(ReadNote(home.ctx(), "GC1"), Lines{"keep"});
    EXPECT_EQ(file().find("GC2"), std::string::npos);
}

TEST_F(Notes, RewriteReplacesAllOldLines) {
    WriteNote(home.ctx(), "GC1", {"1", "2", "3", "4"});
    WriteNote(home.ctx(), "GC1", {"new"});
    EXPECT_EQ(ReadNote(home.ctx(), "GC1"), Lines{"new"});
    EXPECT_EQ(file(), "[GC1]\r\nZ0=new\r\n");
}

TEST_F(Notes, EndMarkerAndMissingKeyEndTheNote) {
    struct Case {
        std::string content;
        Lines note;
    };
    const Case cases[] = {
        {"[GC1]\r\nZ0=a\r\nZ1=#@#@#@\r\nZ2=c\r\n", {"a"}},
        {"[GC1]\r\nZ0=a\r\nZ1=  #@#@#@  \r\nZ2=c\r\n", {"a"}},
        {"[GC1]\r\nZ0=a\r\nZ1=#@#@#@x\r\n", {"a", "#@#@#@x"}},
        {"[GC1]\r\nZ0=a\r\nZ2=c\r\n", {"a"}},
        {"[GC1]\r\nZ1=b\r\n", {}},
        {"[GC1]\r\nz1=b\r\nZ0=a\r\n", {"a", "b"}},
        {"[GC1]\r\n", {}},
    };
    for (const auto& c : cases) {
        home.dir.write("Persinfo.txt", c.content);
        EXPECT_EQ(ReadNote(home.ctx(), "GC1"), c.note) << c.content;
        EXPECT_TRUE(HasNote(home.ctx(), "GC1"));
    }
    WriteNote(home.ctx(), "GC2", {"a", "#@#@#@", "c"});
    EXPECT_EQ(ReadNote(home.ctx(), "GC2"), Lines{"a"});
}

TEST_F(Notes, SectionNamesCompareWithoutRegardToCase) {
    home.dir.write("Persinfo.txt", "[gc1abc]\r\nZ0=old\r\n[GC2]\r\nZ0=other\r\n");
    EXPECT_TRUE(HasNote(home.ctx(), "GC1ABC"));
    EXPECT_EQ(ReadNote(home.ctx(), "GC1ABC"), Lines{"old"});
    WriteNote(home.ctx(), "GC1ABC", {"new"});
    const std::string text = file();
    EXPECT_EQ(text.find("[gc1abc]"), std::string::npos);
    EXPECT_EQ(ReadNote(home.ctx(), "Gc1AbC"), Lines{"new"});
    EraseNote(home.ctx(), "gc1ABC");
    EXPECT_FALSE(HasNote(home.ctx(), "GC1ABC"));
    EXPECT_EQ(ReadNote(home.ctx(), "GC2"), Lines{"other"});
}

TEST_F(Notes, LineBreaksInsideALineBecomeLinesOfTheirOwn) {
    WriteNote(home.ctx(), "GC1", {"a\r\n[GC9]\nZ0=injected", "b"});
    EXPECT_EQ(ReadNote(home.ctx(), "GC1"), (Lines{"a", "[GC9]", "Z0=injected", "b"}));
    EXPECT_FALSE(HasNote(home.ctx(), "GC9"));
}

TEST_F(Notes, NoNoteAndNoFile) {
    EXPECT_FALSE(HasNote(home.ctx(), "GC1"));
    EXPECT_TRUE(ReadNote(home.ctx(), "GC1").empty());
    EraseNote(home.ctx(), "GC1");
    WriteNote(home.ctx(), "GC1", {});
    EXPECT_FALSE(home.dir.exists("Persinfo.txt"));
}

TEST_F(Notes, WriteNoteJoinsAnOuterBatch) {
    // The whole note reaches the disk in one write: inside a caller's batch nothing is written yet.
    IniFile notes(home.workFile("Persinfo.txt"));
    {
        IniFile::Batch batch(notes);
        WriteNote(notes, "GC1", {"a", "b", "c"});
        EXPECT_FALSE(home.dir.exists("Persinfo.txt"));
    }
    EXPECT_EQ(ReadNote(home.ctx(), "GC1"), (Lines{"a", "b", "c"}));
}

// Read in one pass over the section, a note still reads as key after key did: keys in any order
// and case, the first of repeated keys, up to the first gap or end marker.
TEST_F(Notes, HandWrittenSectionsReadAsKeyByKey) {
    home.dir.write(
        "Persinfo.txt",
        "[GC1]\r\nz1=second\r\nZ0=first\r\n; comment\r\nZ1=repeated\r\nZ2=third\r\nZ4=after gap\r\n"
        "[GC2]\r\nZ0=a\r\nZ1=#@#@#@\r\nZ2=b\r\n[gc1]\r\nZ3=other section\r\n");
    EXPECT_EQ(ReadNote(home.ctx(), "gc1"), (Lines{"first", "second", "third"}));
    EXPECT_EQ(ReadNote(home.ctx(), "GC2"), Lines{"a"});
    EXPECT_TRUE(ReadNote(home.ctx(), "GC3").empty());
}

}  // namespace
}  // namespace vellora
