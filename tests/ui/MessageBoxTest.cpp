#include "MessageBox.h"
#include "ScriptedMessageBoxes.h"
#include "modLorvane.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(MsgBox, ScriptedAnswersInOrderWithTheProductAsTitle) {
    modLorvane::ProgramName = "Product X";
    ScriptedMessageBoxes boxes;
    boxes.Expect(IDYES);
    boxes.Expect(IDCANCEL);
    EXPECT_EQ(ui::MsgBox("Remove?", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(ui::MsgBox("Other", MB_OKCANCEL, "Own title"), IDCANCEL);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].prompt, "Remove?");
    EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes.Shown()[0].title, "Product X");
    EXPECT_EQ(boxes.Shown()[1].title, "Own title");
}
