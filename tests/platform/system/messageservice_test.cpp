#include "platform/system/messageservice.h"
#include "localisation/showmessage.h"

#include <gtest/gtest.h>

TEST(MessageService, ScriptedBoxesAreRecordedAndAnsweredInOrder)
{
    TScriptedMessageService boxes;
    boxes.queueAnswer(IDNO);
    EXPECT_EQ(ShowMessageText(QStringLiteral("Remove?"), MB_YESNO | MB_ICONWARNING), IDNO);
    // An empty queue gives the answer that changes least: nothing is retried or removed.
    EXPECT_EQ(ShowMessageText(QStringLiteral("Again?"), MB_RETRYCANCEL | MB_ICONERROR), IDCANCEL);
    EXPECT_EQ(ShowMessageText(QStringLiteral("Remove?"), MB_YESNO | MB_ICONWARNING), IDNO);
    ASSERT_EQ(boxes.boxes().size(), 3u);
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
