// The message box's record, buttons, captions and remembered answers, before
// any window exists.

#include "htmlbox/vela_box_logic.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

namespace {

TEST(VelaRecord, FreshRecordHasTheDefaults) {
    const VelaMessageBoxParams p;
    EXPECT_EQ(p.owner, nullptr);
    EXPECT_FALSE(p.stringModule);
    EXPECT_TRUE(p.caption.text.isEmpty());
    EXPECT_EQ(p.caption.id, 0u);
    EXPECT_TRUE(p.memoryPrefix.isEmpty());
    EXPECT_EQ(p.memoryNumber, 0);
    EXPECT_EQ(p.reportMessage, 0u);
    EXPECT_EQ(p.headerHeight, 0u);
    EXPECT_EQ(p.buttonAlignment, 2u);
    EXPECT_EQ(p.style, 0x30u);
    EXPECT_EQ(p.timeout, 0);
    EXPECT_EQ(p.disableTime, 0);
    EXPECT_EQ(p.countdownInTitle, 0);
    EXPECT_EQ(p.helpContext, 0u);
    EXPECT_EQ(p.iconResourceId, 0);
    EXPECT_TRUE(p.captionMap.empty());
    for (const VelaMessageBoxArea* a : {&p.mainArea, &p.headerArea, &p.buttonArea, &p.footerArea}) {
        EXPECT_EQ(a->separatorStyle, 0u);
        EXPECT_EQ(a->separatorAlign, 0u);
        EXPECT_EQ(a->effect, -1);
        EXPECT_FALSE(a->begin.isValid());  // the button face
    }
}

TEST(VelaButtons, EverySetWithItsIdsAndEscapeRule) {
    const struct {
        unsigned style;
        std::vector<int> ids;
        bool escape;
    } cases[] = {
        {0, {1}, true},
        {1, {1, 2}, true},
        {2, {3, 4, 5}, false},
        {3, {6, 7, 2}, true},
        {4, {6, 7}, false},
        {5, {4, 2}, true},
        {6, {2, 10, 11}, true},
        {7, {11, 3}, false},
        {8, {14, 15, 2}, true},
        {9, {5, 16, 2}, true},
        // No button that closes the box: Escape stays allowed, or it could never close.
        {10, {}, true},
        {15 | MB_HELP, {9}, true},
        {3 | VMB_ADD_YES_ALL | VMB_ADD_NO_ALL, {6, 19, 7, 20, 2}, true},
        {4 | VMB_ADD_NO_ALL, {6, 7, 20}, false},
        {0 | VMB_ADD_YES_ALL, {1}, true},  // only the Yes sets take the extras
        {0x24, {6, 7}, false},
        {0x40 | MB_HELP, {1, 9}, true},
    };
    for (const auto& c : cases) {
        VelaMessageBoxParams p;
        p.style = c.style;
        const VelaButtonPlan plan = PlanButtons(p, {}, false);
        EXPECT_EQ(plan.ids, c.ids) << std::hex << c.style;
        EXPECT_EQ(plan.escapeAllowed, c.escape) << std::hex << c.style;
    }
}

TEST(VelaButtons, HelpReportAndMoreComeAfterTheSetOrTheCustomButtons) {
    QWidget owner;
    VelaMessageBoxParams p;
    p.style = 1 | MB_HELP;
    p.reportMessage = 1234;
    EXPECT_EQ(PlanButtons(p, {}, true).ids,
              (std::vector<int>{1, 2, 9, 31}));  // no owner: no Report
    p.owner = &owner;
    EXPECT_EQ(PlanButtons(p, {}, true).ids, (std::vector<int>{1, 2, 9, 21, 31}));

    const VelaButtonPlan custom = PlanButtons(p, {"Keep", "Replace"}, false);
    EXPECT_EQ(custom.ids, (std::vector<int>{23, 24, 9, 21}));
    EXPECT_FALSE(custom.escapeAllowed);
}

TEST(VelaButtons, DefaultIndexFromBitsEightToElevenAndZeroBeyondTheButtons) {
    const struct {
        unsigned style;
        int index;
    } cases[] = {{0x004, 0}, {0x104, 1}, {0x204, 0}, {0x203, 2}, {0xF02, 0}, {0x100, 0}};
    for (const auto& c : cases) {
        VelaMessageBoxParams p;
        p.style = c.style;
        EXPECT_EQ(PlanButtons(p, {}, false).defaultIndex, c.index) << std::hex << c.style;
    }
}

TEST(VelaButtons, CustomLinesAtMostFourAndNoEmptyOnes) {
    EXPECT_EQ(CustomButtonLines("A\r\nB\nC\nD\nE"), (QStringList{"A", "B", "C", "D"}));
    EXPECT_EQ(CustomButtonLines("\n\nOnly\n\n"), QStringList{"Only"});
    EXPECT_TRUE(CustomButtonLines("").isEmpty());
}

TEST(VelaTexts, CaptionsFromTheMapTheStringTableOrBuiltIn) {
    VelaMessageBoxParams p;
    EXPECT_EQ(GetButtonCaption(p, IDOK), "OK");
    EXPECT_EQ(GetButtonCaption(p, IDTRYAGAIN), "Try again");
    EXPECT_EQ(GetButtonCaption(p, IDMORE), "More >>");
    EXPECT_EQ(GetButtonCaption(p, IDLESS), "<< More");
    EXPECT_EQ(GetButtonCaption(p, kVelaCheckTextId), "Do not show again");
    EXPECT_EQ(GetButtonCaption(p, kVelaCountdownTitleId), "%s (%d seconds remaining)");
    EXPECT_EQ(GetButtonCaption(p, 99), "");
    EXPECT_EQ(GetButtonCaption(p, 99, "Spare"), "Spare");

    p.stringModule = [](unsigned id) -> std::optional<QString> {
        if (id == 9007) return QString("Ja");
        if (id == 500) return QString(300, 'x');
        return std::nullopt;
    };
    EXPECT_EQ(GetButtonCaption(p, IDYES), "Ja");
    EXPECT_EQ(GetButtonCaption(p, IDNO), "No");  // the id does not load: built-in
    EXPECT_EQ(LoadTextOrResource(VelaText::Id(500), p).size(), 260);
    EXPECT_EQ(LoadTextOrResource(VelaText::Id(501), p), "");
    EXPECT_EQ(LoadTextOrResource(VelaText("as it is"), p), "as it is");

    p.captionMap[IDYES] = VelaText("Sure");
    p.captionMap[IDNO] = VelaText::Id(9007);
    EXPECT_EQ(GetButtonCaption(p, IDYES), "Sure");
    EXPECT_EQ(GetButtonCaption(p, IDNO), "Ja");

    p.style |= VMB_NO_STRING_TABLE;
    EXPECT_EQ(GetButtonCaption(p, IDNO), "No");  // the map's id no longer loads: built-in
    p.captionMap.clear();
    EXPECT_EQ(GetButtonCaption(p, IDYES), "Yes");
    EXPECT_EQ(LoadTextOrResource(VelaText::Id(500), p), "");
}

TEST(VelaTexts, CountdownTitleFormat) {
    EXPECT_EQ(FormatCaption("%s (%d seconds remaining)", "Pelmark", 5),
              "Pelmark (5 seconds remaining)");
    EXPECT_EQ(FormatCaption("%d s: %s", "Pelmark", 2), "2 s: Pelmark");
    EXPECT_EQ(FormatCaption("no places", "x", 1), "no places");
}

TEST(VelaMemory, StoredUnderTheProgramAndPrefixAndForgottenWhenRemoved) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    VelaMessageBoxParams p;
    p.style = VMB_SHOW_CHECK;
    p.memoryPrefix = "Msg";
    p.memoryNumber = 5;
    EXPECT_EQ(RememberedValueName(p), "Msg5");
    EXPECT_EQ(ReadRememberedAnswer(p), 0);
    ASSERT_TRUE(WriteRememberedAnswer(p, 0x02000001));
    EXPECT_EQ(ReadRememberedAnswer(p), 0x02000001);

    // Another number, another company, or no check box: nothing remembered.
    VelaMessageBoxParams other = p;
    other.memoryNumber = 6;
    EXPECT_EQ(ReadRememberedAnswer(other), 0);
    other = p;
    other.memoryCompany = "Acme";
    EXPECT_EQ(ReadRememberedAnswer(other), 0);
    ASSERT_TRUE(WriteRememberedAnswer(other, 7));
    EXPECT_EQ(ReadRememberedAnswer(other), 7);
    EXPECT_EQ(ReadRememberedAnswer(p), 0x02000001);
    other = p;
    other.style = 0;
    EXPECT_EQ(ReadRememberedAnswer(other), 0);
    other = p;
    other.memoryPrefix.clear();
    EXPECT_EQ(ReadRememberedAnswer(other), 0);
    EXPECT_FALSE(WriteRememberedAnswer(other, 1));

    ForgetRememberedAnswer(p);
    EXPECT_EQ(ReadRememberedAnswer(p), 0);
}

}  // namespace
