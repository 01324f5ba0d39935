#include "support/TestEnvironment.h"
#include "viewer/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(SingleInstance, ASecondStartHandsItsFileToTheRunningViewer)
{
    ScopedRegistry registry; // the server name follows the settings store
    EXPECT_FALSE(SingleInstance::SendOpenToRunning(QStringLiteral("/b/x.pbk"))); // nobody listens

    SingleInstance running;
    ASSERT_TRUE(running.Listen());
    QString received;
    QObject::connect(&running, &SingleInstance::OpenRequested,
                     [&received](const QString& path) { received = path; });

    std::atomic<int> sent{-1};
    std::thread second([&sent]() { sent = SingleInstance::SendOpenToRunning(QStringLiteral("/b/My Trip.pbk")); });
    QElapsedTimer timer;
    timer.start();
    while (sent < 0 && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    second.join();
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(received, QStringLiteral("/b/My Trip.pbk"));
}
