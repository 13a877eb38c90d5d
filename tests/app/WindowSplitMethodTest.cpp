#include <gtest/gtest.h>

#include "MemorySettingsStore.h"
#include "app/SettingsKeys.h"
#include "app/WindowSplitMethod.h"

using namespace fk;

TEST(WindowSplitMethod, TheSlicerUnlessTheCommandLineOrTheSettingsAskForTheCopyProcedure) {
    test::MemorySettingsStore settings;
    EXPECT_EQ(ChooseWindowSplitMethod({"folioknife"}, settings), SplitMethod::Slice);

    settings.values.insert(settings::kSplitMethod, " Copy ");
    EXPECT_EQ(ChooseWindowSplitMethod({"folioknife"}, settings), SplitMethod::Copy);
    EXPECT_EQ(ChooseWindowSplitMethod({"folioknife", "--method", "slice"}, settings), SplitMethod::Slice)
        << "the command line wins over the settings";

    settings.values.insert(settings::kSplitMethod, "slice");
    EXPECT_EQ(ChooseWindowSplitMethod({"folioknife", "--method=copy"}, settings), SplitMethod::Copy);
    EXPECT_EQ(ChooseWindowSplitMethod({"folioknife", "--method"}, settings), SplitMethod::Slice)
        << "an option without its value changes nothing";
    EXPECT_TRUE(settings.writes.isEmpty()) << "choosing never writes the settings";
}
