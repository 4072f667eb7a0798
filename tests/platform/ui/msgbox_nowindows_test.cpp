// The ui layer in a process without a QApplication.
#include <gtest/gtest.h>

#include "ui/msgbox.h"
#include "vb/error.h"

namespace {

TEST(QtOperatorWithoutWindows, RaisesARuntimeErrorInsteadOfCrashing) {
    ui::SetOperator(nullptr);
    EXPECT_THROW(ui::MsgBox("Hola", ui::vbOKOnly, "Aviso"), vb::Error);
    EXPECT_THROW(ui::InputBox("Código"), vb::Error);
    EXPECT_NO_THROW(ui::DoEvents());
}

TEST(ScriptedOperatorWithoutWindows, AnswersBoxes) {
    ui::ScriptedOperator op;
    op.AnswerMsgBox(ui::vbIgnore);
    EXPECT_EQ(ui::MsgBox("Hola", ui::vbAbortRetryIgnore), ui::vbIgnore);
    EXPECT_NO_THROW(ui::DoEvents());
}

}  // namespace
