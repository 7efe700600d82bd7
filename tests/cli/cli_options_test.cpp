#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include "cli/plain_text.h"

namespace {

struct OptionCase {
    const char* name;
    QStringList args;
    bool ok;
    QString destination;
    bool media;
    bool keep;
    bool complete;
    QStringList files;
};

class CliOptionsTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(CliOptionsTest, Parses) {
    const OptionCase& c = GetParam();
    QString error;
    const auto options = ParseCliOptions(c.args, &error);
    ASSERT_EQ(options.has_value(), c.ok) << error.toStdString();
    if (!c.ok) {
        EXPECT_FALSE(error.isEmpty());
        return;
    }
    EXPECT_EQ(options->destination, c.destination);
    EXPECT_EQ(options->extractMedia, c.media);
    EXPECT_EQ(options->keepWork, c.keep);
    EXPECT_EQ(options->completePackages, c.complete);
    EXPECT_EQ(options->files, c.files);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliOptionsTest,
    ::testing::Values(
        OptionCase{"one_file", {"a.odp"}, true, "", true, false, true, {"a.odp"}},
        OptionCase{"all_flags",
                   {"-o", "out", "--no-media", "--keep-work", "--no-complete", "a.odp", "b.odp"},
                   true,
                   "out",
                   false,
                   true,
                   false,
                   {"a.odp", "b.odp"}},
        OptionCase{"joined_output", {"-oout", "a.odp"}, true, "out", true, false, true, {"a.odp"}},
        OptionCase{
            "long_output", {"--output=out", "a.odp"}, true, "out", true, false, true, {"a.odp"}},
        OptionCase{
            "dash_dash_file", {"--", "--no-media"}, true, "", true, false, true, {"--no-media"}},
        OptionCase{"no_files", {"-o", "out"}, false, "", true, false, true, {}},
        OptionCase{"missing_folder", {"a.odp", "-o"}, false, "", true, false, true, {}},
        OptionCase{"unknown_option", {"--frobnicate", "a.odp"}, false, "", true, false, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliOptions, HelpAndVersionNeedNoFile) {
    QString error;
    EXPECT_TRUE(ParseCliOptions({"--help"}, &error)->showHelp);
    EXPECT_TRUE(ParseCliOptions({"--version"}, &error)->showVersion);
    EXPECT_TRUE(CliUsage().contains("pelmark-cli [-o DIR] [-j N] [--no-media] [--keep-work]"));
}

// -j N in each spelling; 0 (one per core) when it is not given; a count that
// is no whole number from 1 up is a usage error.
TEST(CliOptions, Jobs) {
    const struct {
        QStringList args;
        int jobs;  // -1: refused
    } cases[] = {
        {{"a.odp"}, 0},
        {{"-j", "3", "a.odp"}, 3},
        {{"-j2", "a.odp"}, 2},
        {{"--jobs", "1", "a.odp"}, 1},
        {{"--jobs=4", "a.odp"}, 4},
        {{"-j", "0", "a.odp"}, -1},
        {{"-j", "-2", "a.odp"}, -1},
        {{"-j", "many", "a.odp"}, -1},
        {{"-j1.5", "a.odp"}, -1},
        {{"-j", "100000", "a.odp"}, -1},
        {{"a.odp", "-j"}, -1},
    };
    for (const auto& c : cases) {
        QString error;
        const auto options = ParseCliOptions(c.args, &error);
        ASSERT_EQ(options.has_value(), c.jobs >= 0) << c.args.join(' ').toStdString();
        if (options) {
            EXPECT_EQ(options->jobs, c.jobs) << c.args.join(' ').toStdString();
            EXPECT_EQ(options->files, QStringList{"a.odp"});
        } else {
            EXPECT_TRUE(error.startsWith(c.args.contains("--jobs") ? "--jobs" : "-j"))
                << error.toStdString();
        }
    }
}

TEST(CliOptions, QuietAndColour) {
    QString error;
    EXPECT_TRUE(ParseCliOptions({"-q", "a.odp"}, &error)->quiet);
    EXPECT_TRUE(ParseCliOptions({"--quiet", "a.odp"}, &error)->quiet);
    EXPECT_FALSE(ParseCliOptions({"a.odp"}, &error)->quiet);
    struct {
        bool terminal;
        const char* noColor;
        const char* term;
        bool colour;
    } cases[] = {{true, "", "xterm", true},
                 {false, "", "xterm", false},
                 {true, "1", "xterm", false},
                 {true, "", "dumb", false},
                 {true, "", "", true}};
    for (const auto& c : cases)
        EXPECT_EQ(ColourWanted(c.terminal, c.noColor, c.term), c.colour)
            << c.terminal << " NO_COLOR=" << c.noColor << " TERM=" << c.term;
}

TEST(PlainText, ShowsTheSaveMessageReadably) {
    EXPECT_EQ(MarkupToPlainText("File(s) saving process has been completed.Saved file(s) location "
                                "is:<br><a href='/tmp/a &amp; b'>/tmp/a &amp; b</a>"),
              "File(s) saving process has been completed.Saved file(s) location is:\n/tmp/a & b");
    EXPECT_EQ(MarkupToPlainText("<b>1 &lt; 2</b>"), "1 < 2");
}

}  // namespace
