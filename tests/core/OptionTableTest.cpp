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

}  // namespace
}  // namespace vellora
