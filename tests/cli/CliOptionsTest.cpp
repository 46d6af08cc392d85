// The command-line parser of vellora-cli on a made-up command, and the commands' own table: the
// usage lines and the help a manual page is made from.
#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <set>

#include "cli/Commands.h"
#include "core/Cp1252.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

const CliCommand kCopy{
    .words = "tool copy",
    .arguments = {{"FROM"}, {"TO"}, {"MASK", ArgCount::Optional}},
    .options = {{.name = "--mode", .kind = OptionKind::Value, .valueName = "M", .help = "Modus"},
                {.name = "--force", .help = "ohne Frage"},
                {.name = "-o",
                 .kind = OptionKind::Value,
                 .valueName = "FILE",
                 .help = "Ziel",
                 .required = true,
                 .alias = "--output"},
                {.name = "--near",
                 .kind = OptionKind::Value,
                 .valueName = "P",
                 .help = "Mitte",
                 .pairedWith = "--radius"},
                {.name = "--radius", .kind = OptionKind::Value, .valueName = "KM", .help = "Umkreis"}},
    .summary = "Kopiert.",
};

const CliCommand kMany{.words = "many", .arguments = {{"FILE", ArgCount::OneOrMore}}};
const CliCommand kText{.words = "say", .arguments = {{"TEXT", ArgCount::Text}}};

TEST(CliOptions, RefusedCommandLinesNameTheirProblem) {
    struct Case {
        const CliCommand* command;
        std::vector<std::string> words;
        const char* problem;
    };
    const Case cases[] = {
        {&kCopy, {"a", "b", "-o", "x", "--bunt"}, "Unbekannte Option: --bunt"},
        {&kCopy, {"a", "b", "-o", "x", "--bunt=1"}, "Unbekannte Option: --bunt=1"},
        {&kCopy, {"a", "b", "-o", "x", "--mode"}, "--mode: Wert fehlt"},
        {&kCopy, {"a", "b", "-o"}, "-o: Wert fehlt"},
        {&kCopy, {"a", "b", "-o", "x", "--force=1"}, "--force: ohne Wert"},
        {&kCopy, {"a", "b"}, "-o fehlt"},
        {&kCopy, {"a", "-o", "x"}, "TO fehlt"},
        {&kCopy, {"-o", "x"}, "FROM fehlt"},
        {&kCopy, {"a", "b", "c", "d", "-o", "x"}, "Zu viele Argumente"},
        {&kCopy, {"a", "b", "-o", "x", "--near", "1,2"}, "--near und --radius nur zusammen"},
        {&kCopy, {"a", "b", "-o", "x", "--radius", "5"}, "--near und --radius nur zusammen"},
        {&kMany, {}, "FILE fehlt"},
        {&kText, {}, "TEXT fehlt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.problem);
        const CliParse parsed = parseCommandLine(*c.command, c.words);
        EXPECT_FALSE(parsed.call.has_value());
        EXPECT_EQ(parsed.problem, c.problem);
    }
}

TEST(CliOptions, OptionsStandAnywhereAndTheLastValueCounts) {
    const CliParse parsed = parseCommandLine(kCopy, {"--force", "a", "--mode=schnell", "--output", "x", "b",
                                                     "--force", "--mode", "--langsam", "-5"});
    ASSERT_TRUE(parsed.call) << parsed.problem;
    const CliCall& call = *parsed.call;
    EXPECT_EQ(call.arguments(), (std::vector<std::string>{"a", "b", "-5"}));
    EXPECT_TRUE(call.has("--force"));
    // A value is the next word whatever it looks like; a repeated option keeps its last value.
    EXPECT_EQ(call.value("--mode"), "--langsam");
    // The alias is the option itself.
    EXPECT_TRUE(call.has("-o"));
    EXPECT_EQ(call.value("-o"), "x");
    EXPECT_FALSE(call.has("--near"));
    EXPECT_EQ(call.value("--near"), std::nullopt);

    const CliParse emptyValue = parseCommandLine(kCopy, {"a", "b", "--output=", "--mode="});
    ASSERT_TRUE(emptyValue.call) << emptyValue.problem;
    EXPECT_EQ(emptyValue.call->value("--mode"), "");  // the command decides about an empty value

    const CliParse many = parseCommandLine(kMany, {"a", "b", "c"});
    ASSERT_TRUE(many.call);
    EXPECT_EQ(many.call->arguments().size(), 3u);
    const CliParse text = parseCommandLine(kText, {"Hallo", "Welt"});
    ASSERT_TRUE(text.call);
    EXPECT_EQ(text.call->text(), "Hallo Welt");
}

TEST(CliOptions, UsageLineShowsRequiredPartsBareAndPairsInOneBracket) {
    EXPECT_EQ(usageLine(kCopy),
              "tool copy FROM TO [MASK] [--mode M] [--force] -o FILE [--near P --radius KM]");
    EXPECT_EQ(usageLine(kMany), "many FILE...");
    EXPECT_EQ(usageLine(kText), "say TEXT");
    EXPECT_EQ(helpText(kCopy),
              "  tool copy FROM TO [MASK] [--mode M] [--force] -o FILE [--near P --radius KM]\n"
              "      Kopiert.\n"
              "      --mode M     Modus\n"
              "      --force      ohne Frage\n"
              "      -o FILE      Ziel (auch --output)\n"
              "      --near P     Mitte\n"
              "      --radius KM  Umkreis\n");
}

// The manual page is made from "help": every command and every option there, each described.
TEST(CliOptions, HelpDescribesEveryCommandAndOption) {
    test::TempDir parent;
    const test::CliResult help = test::CliRunner(parent.path() + "/neu").run({"help"});
    ASSERT_EQ(help.code, 0);
    std::set<std::string_view> seen;
    for (const CliCommand& c : allCommands()) {
        SCOPED_TRACE(std::string(c.words));
        EXPECT_TRUE(seen.insert(c.words).second) << "twice in the table";
        EXPECT_NE(c.run, nullptr);
        EXPECT_FALSE(c.summary.empty());
        EXPECT_NE(help.out.find(utf8FromCp1252(helpText(c))), std::string::npos);
        for (const CliOption& o : c.options) {
            EXPECT_FALSE(o.help.empty()) << o.name;
            EXPECT_EQ(o.kind == OptionKind::Value, !o.valueName.empty()) << o.name;
        }
    }
}

}  // namespace
}  // namespace vellora
