#include "lobby/About.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

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

// Every way of closing the window frees it, so that the opener forgets it and a later request can show
// a new one; Esc goes through the dialog's reject, which hides the window without a close event.
TEST(AboutTest, ClosingByAnyRouteFreesTheWindow) {
    struct Route {
        const char *name;
        std::function<void(TForm_About *)> close;
    };
    const Route routes[] = {
        {"the button", [](TForm_About *about) { about->Button_Close()->click(); }},
        {"the close box", [](TForm_About *about) { about->close(); }},
        {"the window manager",
         [](TForm_About *about) {
             QCloseEvent event;
             QApplication::sendEvent(about, &event);
         }},
        {"Esc",
         [](TForm_About *about) {
             QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(about, &press);
         }},
        {"reject", [](TForm_About *about) { about->reject(); }},
    };
    for (const Route &route : routes) {
        auto *about = new TForm_About;
        QPointer<TForm_About> alive(about);
        int destroyed = 0;
        about->OnDestroy = [&destroyed] { ++destroyed; };
        about->Show();
        route.close(about);
        EXPECT_TRUE(alive) << route.name << ": not inside its own handler";
        RunDeferredDeletes();
        EXPECT_FALSE(alive) << route.name;
        EXPECT_EQ(destroyed, 1) << route.name;
        delete alive.data();
    }
}

} // namespace
} // namespace trelvo
