#include "core/OptionTable.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "core/IniFile.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

struct Record {
    bool flag = true;
    int choice = 1;
    std::int64_t big = 7;
    std::string name = "Standard";
    double radius = 1.5;
    std::array<int, 3> list{1, 2, 3};
};

const OptionTable<Record> kTable = {
    boolOption("Flag", &Record::flag),
    intOption("Choice", &Record::choice, 0, 2),
    intOption("Big", &Record::big),
    stringOption("Name", &Record::name),
    floatOption("Radius", &Record::radius),
    customOption<Record>(
        "List",
        [](IniFile& f, const char* s, const char* k, Record& r) {
            for (std::size_t i = 0; i < r.list.size(); ++i)
                r.list[i] = f.readInteger(s, k + std::to_string(i), r.list[i]);
        },
        [](IniFile& f, const char* s, const char* k, const Record& r) {
            for (std::size_t i = 0; i < r.list.size(); ++i)
                f.writeInteger(s, k + std::to_string(i), r.list[i]);
        }),
};

TEST(OptionTable, SavesEveryRowInTableOrderAndLoadsThemBack) {
    test::TempDir dir;
    IniFile conf(dir.file("conf.ini"));
    Record r;
    r.flag = false;
    r.choice = 2;
    r.name =
        "Stra\xDF"
        "e";
    r.radius = 0.25;
    r.list = {9, 8, 7};
    saveOptions(conf, "Program", kTable, r);
    EXPECT_EQ(dir.read("conf.ini"),
              "[Program]\r\nFlag=0\r\nChoice=2\r\nBig=7\r\nName=Stra\xDF"
              "e\r\nRadius=0.25\r\nList0=9\r\nList1=8\r\n"
              "List2=7\r\n");

    Record loaded;
    IniFile again(dir.file("conf.ini"));
    loadOptions(again, "Program", kTable, loaded);
    EXPECT_FALSE(loaded.flag);
    EXPECT_EQ(loaded.choice, 2);
    EXPECT_EQ(loaded.name, r.name);
    EXPECT_EQ(loaded.radius, 0.25);
    EXPECT_EQ(loaded.list, (std::array<int, 3>{9, 8, 7}));
}

TEST(OptionTable, MissingOrUnusableValuesKeepTheMember) {
    test::TempDir dir;
    dir.write("conf.ini", "[Program]\r\nChoice=5\r\nFlag=kaputt\r\nRadius=abc\r\nBig=-3\r\n");
    IniFile conf(dir.file("conf.ini"));
    Record r;
    loadOptions(conf, "Program", kTable, r);
    EXPECT_EQ(r.choice, 1);  // outside 0..2
    EXPECT_TRUE(r.flag);
    EXPECT_EQ(r.radius, 1.5);
    EXPECT_EQ(r.big, -3);
    EXPECT_EQ(r.name, "Standard");
    EXPECT_EQ(r.list, (std::array<int, 3>{1, 2, 3}));
    // Loading writes nothing.
    EXPECT_EQ(dir.read("conf.ini"), "[Program]\r\nChoice=5\r\nFlag=kaputt\r\nRadius=abc\r\nBig=-3\r\n");
}

struct Dialog {
    bool saveOpts = true;
    int choice = 1;
    std::string name = "Standard";
};

const SwitchedOptions<Dialog> kDialogTable = {
    boolOption("SaveOpts", &Dialog::saveOpts, false),
    &Dialog::saveOpts,
    {intOption("Choice", &Dialog::choice), stringOption("Name", &Dialog::name)},
};

// The switch is always stored, the options behind it only while it is on; stored options are
// taken only when the stored switch is on, and a missing switch counts as off.
TEST(OptionTable, SwitchedOptionsFollowTheirStoredSwitch) {
    struct Case {
        const char* stored;
        bool saveOpts;
        int choice;
        const char* name;
    };
    const Case loads[] = {
        {"[Program]\r\nSaveOpts=1\r\nChoice=2\r\nName=Neu\r\n", true, 2, "Neu"},
        {"[Program]\r\nSaveOpts=0\r\nChoice=2\r\nName=Neu\r\n", false, 1, "Standard"},
        {"[Program]\r\nChoice=2\r\nName=Neu\r\n", false, 1, "Standard"},
    };
    for (const Case& c : loads) {
        SCOPED_TRACE(c.stored);
        test::TempDir dir;
        dir.write("conf.ini", c.stored);
        IniFile conf(dir.file("conf.ini"));
        Dialog d;  // its switch on before loading
        loadOptions(conf, "Program", kDialogTable, d);
        EXPECT_EQ(d.saveOpts, c.saveOpts);
        EXPECT_EQ(d.choice, c.choice);
        EXPECT_EQ(d.name, c.name);
    }

    test::TempDir dir;
    IniFile conf(dir.file("conf.ini"));
    Dialog d;
    d.choice = 0;
    saveOptions(conf, "Program", kDialogTable, d);
    EXPECT_EQ(dir.read("conf.ini"), "[Program]\r\nSaveOpts=1\r\nChoice=0\r\nName=Standard\r\n");
    d.saveOpts = false;
    d.choice = 2;
    saveOptions(conf, "Program", kDialogTable, d);
    // Switched off, the options stored before stay as they were.
    EXPECT_EQ(dir.read("conf.ini"), "[Program]\r\nSaveOpts=0\r\nChoice=0\r\nName=Standard\r\n");
}

}  // namespace
}  // namespace vellora
