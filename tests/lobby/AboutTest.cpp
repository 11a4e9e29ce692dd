#include "lobby/About.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

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

// The columns of an image that hold ink: pixels that stand out from the first pixel of their row (the
// text is centred, so a row starts with background, whatever it is).
std::vector<bool> InkColumns(const QImage &image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<bool> ink(static_cast<size_t>(argb.width()), false);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb ground = argb.pixel(0, y);
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = argb.pixel(x, y);
            const int diff =
                std::max({std::abs(qRed(c) - qRed(ground)), std::abs(qGreen(c) - qGreen(ground)),
                          std::abs(qBlue(c) - qBlue(ground)), std::abs(qAlpha(c) - qAlpha(ground))});
            if (diff > 24)
                ink[static_cast<size_t>(x)] = true;
        }
    }
    return ink;
}

// Only what a widget paints itself, on a transparent image.
QImage OwnPaint(QWidget *widget) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// The reflection mirrors the whole name, not the lower half of its letters: every column that holds
// ink in the name holds ink in the reflection (the crossbar of the "T" included).
TEST(AboutTest, TheReflectionMirrorsTheWholeName) {
    TForm_About about;
    about.Show();
    QWidget *reflection = about.Reflection();
    ASSERT_NE(reflection, nullptr);
    EXPECT_EQ(reflection->y(), about.Text_Name()->y() + about.Text_Name()->height() - 5) << "offset -5";
    EXPECT_EQ(reflection->width(), about.Text_Name()->width());
    const std::vector<bool> name = InkColumns(OwnPaint(about.Text_Name()));
    const std::vector<bool> mirror = InkColumns(OwnPaint(reflection));
    ASSERT_EQ(name.size(), mirror.size());
    int missing = 0, inked = 0;
    for (size_t x = 0; x < name.size(); ++x) {
        inked += name[x] ? 1 : 0;
        const bool near = mirror[x] || (x > 0 && mirror[x - 1]) || (x + 1 < mirror.size() && mirror[x + 1]);
        missing += name[x] && !near ? 1 : 0;
    }
    EXPECT_GT(inked, 60) << "the name is drawn";
    EXPECT_EQ(missing, 0) << "columns of the name without their mirror image";
}

// The panels wear the game's felt, body and wood instead of the system's grey.
TEST(AboutTest, ThePanelsHaveTheGamesColours) {
    TForm_About about;
    about.Show();
    const QImage shot = about.grab().toImage();
    auto grey = [](QRgb c) {
        return std::abs(qRed(c) - qGreen(c)) < 12 && std::abs(qGreen(c) - qBlue(c)) < 12;
    };
    const QRgb top = shot.pixel(10, 10), credits = shot.pixel(10, 150), bottom = shot.pixel(10, 390);
    EXPECT_FALSE(grey(top)) << std::hex << top;
    EXPECT_GT(qGreen(top), qRed(top)) << "felt under the name";
    EXPECT_FALSE(grey(bottom)) << std::hex << bottom;
    EXPECT_GT(qRed(bottom), qBlue(bottom)) << "wood under the button";
    EXPECT_GT(qRed(credits), qBlue(credits)) << "the warm body of the game's windows";
}

} // namespace
} // namespace trelvo
