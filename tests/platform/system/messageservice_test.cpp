#include "platform/system/messageservice.h"
#include "localisation/showmessage.h"

#include <gtest/gtest.h>

TEST(MessageService, ScriptedBoxesAreRecordedAndAnsweredInOrder)
{
    TScriptedMessageService boxes;
    boxes.queueAnswer(IDNO);
    EXPECT_EQ(ShowMessageText(QStringLiteral("Remove?"), MB_YESNO | MB_ICONWARNING), IDNO);
    // An empty queue answers with the first button of the box.
    EXPECT_EQ(ShowMessageText(QStringLiteral("Again?"), MB_RETRYCANCEL | MB_ICONERROR), IDRETRY);
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Tonaria"));
    EXPECT_EQ(boxes.boxes()[0].flags, MB_YESNO | MB_ICONWARNING);
    EXPECT_EQ(boxes.boxes()[1].text, QStringLiteral("Again?"));
}

TEST(MessageService, ScriptedServiceRestoresThePreviousOneWhenDone)
{
    TScriptedMessageService outer;
    {
        TScriptedMessageService inner;
        ShowMessageText(QStringLiteral("inner"), MB_OK);
        EXPECT_EQ(inner.boxes().size(), 1u);
    }
    ShowMessageText(QStringLiteral("outer"), MB_OK);
    EXPECT_EQ(outer.boxes().size(), 1u);
}
