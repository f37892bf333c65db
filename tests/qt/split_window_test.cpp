// The handle between the list and the message in the Qt window, headless: a
// taller window shares its extra height, a drag moves the line (the labels of
// the band let the mouse through), and the size kept at the close comes back
// within the screen at the next load.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <memory>

#include "app/system_time_zone.hpp"
#include "common/state.hpp"
#include "ui/list_split.hpp"
#include "ui/qt/main_window.hpp"

using namespace pelicard;

TEST(QtSplit, TheHandleMovesTheLineAndTheSizeComesBackWithinTheScreen) {
    static int argc = 1; static char name[] = "test_qt", *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!QApplication::instance()) new QApplication(argc, argv);
    State s;
    SystemTimeZone zone;
    s.timeZone = &zone;
    auto w = std::make_unique<qt::MainWindow>(s);
    w->Load();
    auto* handle = w->findChild<QWidget*>(QStringLiteral("splMessages"));
    auto height = [&](const char* c) { return w->findChild<QWidget*>(QString::fromLatin1(c))->height(); };
    auto px = [&](int twips) { return w->ToPixelsY(twips); };
    ASSERT_TRUE(handle && !handle->isEnabled());  // the smallest size: nothing to share
    const QPoint label = w->findChild<QWidget*>(QStringLiteral("lblTxt"))->geometry().center();
    EXPECT_EQ(handle->parentWidget()->childAt(label), handle);

    w->resize(w->width(), w->height() + px(3000));
    QApplication::processEvents();
    EXPECT_NEAR(height("lvwMessages"), px(2190 + 1500), 1);
    // pointer's way down in pixels, list and body afterwards (twips)
    struct Case { int dy, list, body; };
    for (const Case& c : {Case{-45, 3015, 4725}, Case{2000, 5190, 2550}, Case{-2000, 2190, 5550}}) {
        const QPoint from = handle->geometry().topLeft() + QPoint(100, 2);  // in the client area, which stays put
        const auto at = [&](int down) { return handle->mapFrom(handle->parentWidget(), from + QPoint(0, down)); };
        QTest::mousePress(handle, Qt::LeftButton, {}, at(0));
        QTest::mouseMove(handle, at(c.dy / 2));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, at(c.dy));
        EXPECT_NEAR(height("lvwMessages"), px(c.list), 1) << c.dy;
        EXPECT_NEAR(height("txtBody"), px(c.body), 1) << c.dy;
    }
    EXPECT_EQ(ListShare(s.app.extra), 0);

    // The size at the close comes back at the next load, within the screen.
    const QRect space = w->screen()->availableGeometry();
    const QSize frame = w->frameGeometry().size() - w->size();
    const int menu = w->menuBar()->sizeHint().height();
    w->resize(w->ToPixelsX(11600 - 120), px(8400 - 750) + menu);
    QApplication::processEvents();
    struct Kept { int width, height; QSize expected; };  // kept after the close (0: as closed), outer twips
    for (const Kept& k : {Kept{0, 0, QSize(w->ToPixelsX(11600 - 120), px(8400 - 750) + menu)},
                          Kept{90000, 90000, space.size() - frame} /* from a larger screen */}) {
        w->close();
        if (k.width) RememberWindowSize(s.app.extra, k.width, k.height);
        s.Quitting = false;  // the next run
        auto again = std::make_unique<qt::MainWindow>(s);
        again->Load();
        EXPECT_NEAR(again->width(), k.expected.width(), 1);
        EXPECT_NEAR(again->height(), k.expected.height(), 1);
        EXPECT_TRUE(space.contains(again->frameGeometry()));
        w = std::move(again);
    }
}
