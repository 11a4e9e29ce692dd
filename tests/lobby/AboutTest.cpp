#include "lobby/About.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

namespace trelvo {
namespace {

// Runs deferred deletions (a closed window frees itself from the event loop).
void RunDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(AboutTest, ShowsNameVersionAndCredits) {
    auto *about = new TForm_About;
    EXPECT_EQ(about->Caption(), "О программе");
    EXPECT_EQ(about->Version(), "") << "the version is set on showing";
    about->Show();
    EXPECT_EQ(about->Version(), "1.30");
    EXPECT_EQ(about->size(), QSize(424, 398));
    EXPECT_EQ(about->minimumSize(), about->maximumSize()) << "fixed size";
    EXPECT_TRUE(about->windowFlags() & Qt::WindowStaysOnTopHint);
    const QStringList texts = about->Texts();
    ASSERT_EQ(texts.size(), 17);
    EXPECT_EQ(texts[0], "Trelvo");
    for (const char *heading : {"Разработчик", "Дизайнер", "Тестирование"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(heading))) << heading;
    EXPECT_EQ(about->CreditLine(1)->y(), 5);
    EXPECT_EQ(about->CreditLine(14)->y(), 232);
    EXPECT_EQ(texts.last(), "Закрыть");
    for (const QString &text : texts)
        EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(about->isModal());
    delete about;
}

TEST(AboutTest, ClosingByTheButtonOrTheCloseBoxFreesTheWindow) {
    for (bool byButton : {true, false}) {
        auto *about = new TForm_About;
        QPointer<TForm_About> alive(about);
        int destroyed = 0;
        about->OnDestroy = [&destroyed] { ++destroyed; };
        about->Show();
        if (byButton)
            about->Button_Close()->click();
        else
            about->close();
        EXPECT_TRUE(alive) << "not inside its own handler";
        RunDeferredDeletes();
        EXPECT_FALSE(alive) << byButton;
        EXPECT_EQ(destroyed, 1) << byButton;
    }
}

} // namespace
} // namespace trelvo
