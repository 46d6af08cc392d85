#include "core/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestHome.h"

using vellora::IniFile;
using vellora::IniWriteError;
using vellora::test::TempDir;

namespace {

struct IniFileTest : ::testing::Test {
    TempDir dir;
    std::string path = dir.file("test.conf");
};

TEST_F(IniFileTest, SectionsAndKeysIgnoreCase) {
    dir.write("test.conf", "[Program]\r\nLineBreak=1\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("PROGRAM", "linebreak", "x"), "1");
    ini.writeString("program", "Linebreak", "0");
    EXPECT_EQ(dir.read("test.conf"), "[Program]\r\nLineBreak=0\r\n");
}

TEST_F(IniFileTest, ValuesAreTrimmedAndLoseMatchingQuotes) {
    struct Case {
        const char* stored;
        const char* read;
    } cases[] = {
        {"  value  ", "value"},           {"\"quoted text\"", "quoted text"},   {"'single'", "single"},
        {"\"unmatched'", "\"unmatched'"}, {"\" keep inner \"", " keep inner "}, {"", ""},
    };
    for (const auto& c : cases) {
        dir.write("test.conf", std::string("[S]\r\nK=") + c.stored + "\r\n");
        IniFile ini(path);
        EXPECT_EQ(ini.readString("S", "K", "default"), c.read) << c.stored;
    }
}

TEST_F(IniFileTest, LongValuesAreCutOnReading) {
    IniFile ini(path);
    ini.writeString("S", "K", std::string(3000, 'a'));
    EXPECT_EQ(ini.readString("S", "K", "").size(), IniFile::kMaxValueLength);
    EXPECT_NE(dir.read("test.conf").find(std::string(3000, 'a')), std::string::npos);
}

TEST_F(IniFileTest, IntegersBooleansAndFloats) {
    dir.write("test.conf",
              "[S]\r\nDec=42\r\nNeg=-7\r\nHex=0x1F\r\nHEX=0XFF\r\nBad=12abc\r\nT=2\r\nF=0\r\n"
              "Fl=49.5\r\nFlBad=4,5\r\nEmpty=\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("S", "Dec", 0), 42);
    EXPECT_EQ(ini.readInteger("S", "Neg", 0), -7);
    EXPECT_EQ(ini.readInteger("S", "Hex", 0), 31);  // first "Hex" wins over "HEX"
    EXPECT_EQ(ini.readInteger("S", "Bad", 5), 5);
    EXPECT_EQ(ini.readInteger("S", "Missing", 9), 9);
    EXPECT_TRUE(ini.readBool("S", "T", false));
    EXPECT_FALSE(ini.readBool("S", "F", true));
    EXPECT_TRUE(ini.readBool("S", "Bad", true));
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "Fl", 0), 49.5);
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "FlBad", 1.25), 1.25);
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "Empty", 2.5), 2.5);
}

TEST_F(IniFileTest, FloatsAreWrittenShortestWithAPoint) {
    IniFile ini(path);
    ini.writeFloat("S", "A", 49.5);
    ini.writeFloat("S", "B", 15);
    ini.writeFloat("S", "C", 0.1);
    ini.writeFloat("S", "D", -10.75);
    ini.writeFloat("S", "E", 1.0 / 3.0);
    EXPECT_EQ(dir.read("test.conf"), "[S]\r\nA=49.5\r\nB=15\r\nC=0.1\r\nD=-10.75\r\nE=0.333333333333333\r\n");
}

TEST_F(IniFileTest, EveryWriteReachesTheDiskAtOnce) {
    IniFile ini(path);
    ini.writeInteger("S", "K", 1);
    EXPECT_EQ(dir.read("test.conf"), "[S]\r\nK=1\r\n");
    ini.writeBool("Other", "B", true);
    EXPECT_EQ(dir.read("test.conf"), "[S]\r\nK=1\r\n\r\n[Other]\r\nB=1\r\n");
}

TEST_F(IniFileTest, BatchWritesOnceAtTheEnd) {
    IniFile ini(path);
    {
        IniFile::Batch batch(ini);
        ini.writeString("S", "A", "1");
        EXPECT_FALSE(dir.exists("test.conf"));
        EXPECT_EQ(ini.readString("S", "A", ""), "1");
        ini.writeString("S", "B", "2");
    }
    EXPECT_EQ(dir.read("test.conf"), "[S]\r\nA=1\r\nB=2\r\n");
}

TEST_F(IniFileTest, TwoObjectsOnOneFileSeeEachOthersWrites) {
    IniFile program(path);
    IniFile work(path);
    program.writeString("Program", "Radius", "50");
    work.writeString("Program", "Radius", "12.5");  // the value written last stands
    program.writeString("Program", "Other", "x");   // must not bring back the old radius
    EXPECT_EQ(program.readString("Program", "Radius", ""), "12.5");
    EXPECT_EQ(work.readString("Program", "Other", ""), "x");
}

TEST_F(IniFileTest, EraseSectionAndDeleteKeyKeepTheRest) {
    dir.write("test.conf", "; comment\r\n[GC1]\r\nZ0=a\r\n[gc2]\r\nZ0=b\r\nZ1=c\r\n");
    IniFile ini(path);
    ini.eraseSection("gc1");
    ini.deleteKey("GC2", "z0");
    EXPECT_FALSE(ini.sectionExists("GC1"));
    EXPECT_FALSE(ini.valueExists("GC2", "Z0"));
    EXPECT_EQ(dir.read("test.conf"), "; comment\r\n[gc2]\r\nZ1=c\r\n");
}

TEST_F(IniFileTest, KeyNamesAndSectionNamesInFileOrder) {
    dir.write("test.conf", "[A]\nx=1\ny=2\n[B]\n");
    IniFile ini(path);
    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ini.keyNames("a"), (std::vector<std::string>{"x", "y"}));
}

TEST_F(IniFileTest, FailedWriteRaisesTheGenericErrorAndKeepsTheFile) {
    const std::string missingDir = dir.file("no/such/dir/x.conf");
    IniFile ini(missingDir);
    try {
        ini.writeString("S", "K", "v");
        FAIL() << "expected IniWriteError";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "nach " + missingDir + " kann nicht geschrieben werden");
    }
}

// Replacing a section in one step must leave the file that erasing it and writing key after key
// leaves, wherever the section stood: blank-line handling and section order are the traps.
TEST_F(IniFileTest, ReplaceSectionWritesWhatEraseAndSingleWritesWrite) {
    using KeyValues = std::vector<std::pair<std::string, std::string>>;
    const struct {
        const char* what;
        const char* file;
        KeyValues keys;
    } cases[] = {
        {"no file", nullptr, {{"Z0", "a"}, {"Z1", " b "}}},
        {"preamble only", "; comment\r\n", {{"Z0", "a"}}},
        {"section in the middle",
         "[GC1]\r\nZ0=x\r\n\r\n[gc2]\r\nZ0=old\r\nZ1=old\r\n[GC3]\r\nZ0=y\r\n",
         {{"Z0", "new"}}},
        {"section last, trailing blank", "[GC2]\r\nZ0=old\r\n\r\n", {{"Z0", ""}, {"Z1", "c"}}},
        {"section twice", "[GC2]\r\nZ0=1\r\n[A]\r\nk=v\r\n[gc2]\r\nZ0=2\r\n", {{"Z0", "n"}}},
        {"no keys erases", "[A]\r\nk=v\r\n[GC2]\r\nZ0=old\r\n", {}},
        {"no keys, no section", "[A]\r\nk=v\r\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string expectedPath = dir.file("expected.conf");
        std::filesystem::remove(path);
        std::filesystem::remove(expectedPath);
        if (c.file) {
            dir.write("test.conf", c.file);
            dir.write("expected.conf", c.file);
        }
        {
            IniFile expected(expectedPath);
            IniFile::Batch batch(expected);
            expected.eraseSection("GC2");
            for (const auto& [key, value] : c.keys) expected.writeString("GC2", key, value);
        }
        IniFile(path).replaceSection("GC2", c.keys);
        EXPECT_EQ(std::filesystem::exists(path), std::filesystem::exists(expectedPath));
        if (std::filesystem::exists(expectedPath)) {
            EXPECT_EQ(dir.read("test.conf"), dir.read("expected.conf"));
        }
    }
}

}  // namespace
