#include "model/CorvaleDoc.h"
#include "platform/Prompter.h"
#include "support/TestEnvironment.h"
#include "viewer/CorvaleApp.h"
#include "viewer/SingleInstance.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using HandOver = SingleInstance::HandOver;

template <typename Done>
bool ProcessEventsUntil(Done done, int ms = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A running viewer's listening end on a thread of its own, so that a second
// start on this thread can wait for its answer.
class RunningViewer {
public:
    RunningViewer() : m_pThread(QThread::create([this] { Serve(); }))
    {
        m_pThread->start();
        while (!m_bReady)
            std::this_thread::yield();
    }
    ~RunningViewer()
    {
        m_bStop = true;
        m_pThread->wait();
    }
    bool Listening() const { return m_bListening; }
    std::vector<std::string> Received()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }

private:
    void Serve()
    {
        SingleInstance instance;
        m_bListening = instance.Listen();
        QObject::connect(&instance, &SingleInstance::OpenRequested, [this](const QString& path) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_received.push_back(path.toStdString());
        });
        QTimer wake; // lets the loop see the stop flag
        wake.start(10);
        m_bReady = true;
        QEventLoop loop;
        while (!m_bStop)
            loop.processEvents(QEventLoop::WaitForMoreEvents);
    }

    std::atomic<bool> m_bReady{false}, m_bStop{false}, m_bListening{false};
    std::mutex m_mutex;
    std::vector<std::string> m_received;
    std::unique_ptr<QThread> m_pThread; // one with an event dispatcher, for the socket
};

// Runs the rest of the scope in `folder`, then goes back.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& folder)
    {
        char buffer[4096];
        m_strOld = ::getcwd(buffer, sizeof(buffer)) ? buffer : "/";
        EXPECT_EQ(::chdir(folder.c_str()), 0);
    }
    ~ScopedCurrentFolder() { (void)::chdir(m_strOld.c_str()); }

private:
    std::string m_strOld;
};

std::string WriteBook(const TempDir& dir, const std::string& name)
{
    CCorvaleDoc doc;
    doc.m_strBookTitle = name;
    std::string path = dir.File(name);
    EXPECT_TRUE(doc.OnSaveDocument(path));
    return path;
}

// Forks a process of user "nobody" that runs `body` and exits with its result.
template <typename Body>
pid_t RunAsNobody(Body body)
{
    pid_t child = ::fork();
    if (child == 0) {
        // Only calls that are safe after fork in a threaded process.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        ::_exit(body());
    }
    return child;
}

int ExitCodeOf(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

sockaddr_un AddressOf(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    return address;
}

} // namespace

TEST(SingleInstance, ASecondStartHandsOverItsFileTakenInItsOwnFolderAndSaysWhenItCannot)
{
    ScopedRegistry registry; // the server name follows the settings store
    TempDir dir;
    std::string book = WriteBook(dir, "Trip.pbk");
    EXPECT_EQ(SingleInstance::SendOpenToRunning(QString::fromStdString(book)), HandOver::NoViewer);

    RunningViewer running;
    ASSERT_TRUE(running.Listening());
    RecordingPrompter prompter;
    {
        ScopedCurrentFolder here(dir.Path());
        CCorvaleApp second;
        EXPECT_FALSE(second.InitInstance({QStringLiteral("Corvale"), QStringLiteral("Trip.pbk")}));
        EXPECT_EQ(second.m_nExitCode, 0);
        EXPECT_EQ(second.GetMainFrame(), nullptr);
    }
    EXPECT_EQ(running.Received(), std::vector<std::string>{book});

    // A name the request cannot carry whole is never sent cut.
    std::string odd = WriteBook(dir, "two\nlines.pbk");
    CCorvaleApp third;
    EXPECT_FALSE(third.InitInstance({QStringLiteral("Corvale"), QString::fromStdString(odd)}));
    EXPECT_EQ(third.m_nExitCode, 1);
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Corvale is already running but did not take\n\n" + odd +
                                                         "\n\nIt may be busy: try again in a moment."});
    EXPECT_EQ(running.Received().size(), 1u);
}

TEST(SingleInstance, WithoutAFolderOfItsOwnTheViewerRunsAlone)
{
    ScopedRegistry registry;
    TempDir dir;
    std::string book = WriteBook(dir, "Trip.pbk");
    // Someone else made the shared fallback folder first.
    std::string taken = dir.File("corvale-" + std::to_string(::geteuid()));
    ASSERT_EQ(::mkdir(taken.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(taken.c_str(), 0777), 0);
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    ScopedEnv temp("TMPDIR", dir.Path().c_str());

    EXPECT_EQ(SingleInstance::ServerName(), QString());
    EXPECT_EQ(SingleInstance::SendOpenToRunning(QString::fromStdString(book)), HandOver::NotPrivate);
    QApplication::setQuitOnLastWindowClosed(false);
    RecordingPrompter prompter;
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale"), QString::fromStdString(book)}));
    ASSERT_NE(app.GetDocument(), nullptr);
    EXPECT_EQ(app.GetDocument()->GetPathName(), book);
    SingleInstance other;
    EXPECT_FALSE(other.Listen());
}

TEST(SingleInstance, AnotherUsersEndIsNeverTrusted)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's process needs root to make";
    ScopedRegistry registry;
    TempDir dir;
    std::string book = WriteBook(dir, "Tax Return.pbk");
    std::string name = SingleInstance::ServerName().toStdString();
    ASSERT_FALSE(name.empty());
    std::string folder = name.substr(0, name.rfind('/'));
    // Let "nobody" through the test's own folders, which only root may enter.
    ASSERT_EQ(folder, TestRoot() + "/run");
    ::chmod(TestRoot().c_str(), 0711);
    ::chmod(dir.Path().c_str(), 0777);
    int result[2];
    ASSERT_EQ(::pipe(result), 0);

    // 1. Another user's server at our name (only root could put it there) is
    // told nothing, and this start runs alone.
    std::string bait = dir.File("bait");
    sockaddr_un baitAddress = AddressOf(bait);
    pid_t server = RunAsNobody([&]() {
        int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(s, reinterpret_cast<sockaddr*>(&baitAddress), sizeof(baitAddress)) != 0 || ::listen(s, 4) != 0)
            return 1;
        ::chmod(baitAddress.sun_path, 0777);
        (void)::write(result[1], "L", 1);
        int c = ::accept(s, nullptr, nullptr);
        char buffer[256];
        ssize_t got = ::read(c, buffer, sizeof(buffer));
        (void)::write(c, "ok\n", 3);
        return got > 0 ? 2 : 0; // 2: something was handed over
    });
    char ready = 0;
    ASSERT_EQ(::read(result[0], &ready, 1), 1);
    ASSERT_EQ(::rename(bait.c_str(), name.c_str()), 0);
    QApplication::setQuitOnLastWindowClosed(false);
    RecordingPrompter prompter;
    {
        CCorvaleApp second;
        ASSERT_TRUE(second.InitInstance({QStringLiteral("Corvale"), QString::fromStdString(book)}));
        EXPECT_NE(second.GetDocument(), nullptr);
    }
    ::kill(server, SIGTERM);
    EXPECT_NE(ExitCodeOf(server), 2);
    ::unlink(name.c_str());

    // 2. A connection from another user's process gets no answer and opens nothing.
    SingleInstance running;
    ASSERT_TRUE(running.Listen());
    ::chmod(folder.c_str(), 0711);
    ::chmod(name.c_str(), 0777);
    std::vector<QString> opened;
    QObject::connect(&running, &SingleInstance::OpenRequested, [&opened](const QString& p) { opened.push_back(p); });
    sockaddr_un address = AddressOf(name);
    std::string request = "[open(\"" + book + "\")]\n";
    pid_t client = RunAsNobody([&]() {
        int c = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(c, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
            return 1;
        (void)::write(c, request.data(), request.size());
        char answer[8];
        return ::read(c, answer, sizeof(answer)) > 0 ? 2 : 0; // 2: it was answered
    });
    EXPECT_EQ(ExitCodeOf(client), 0);
    QApplication::processEvents();
    EXPECT_TRUE(opened.empty());
    ::close(result[0]);
    ::close(result[1]);
    ::chmod(folder.c_str(), 0700);
    ::chmod(TestRoot().c_str(), 0700);
}

TEST(SingleInstance, ARequestWaitsWhileAMessageBoxIsOpenAndIsOpenedAfterwards)
{
    ScopedRegistry registry;
    TempDir dir;
    std::string first = WriteBook(dir, "First.pbk");
    std::string second = WriteBook(dir, "Second.pbk");
    std::string damaged = dir.File("Damaged.pbk");
    ASSERT_TRUE(WriteFileBytes(damaged, "not a Picture Book at all"));
    QApplication::setQuitOnLastWindowClosed(false);

    CCorvaleApp app; // with its own prompter: real, modal message boxes
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale"), QString::fromStdString(first)}));

    std::atomic<int> handed{-1};
    std::thread start;
    bool boxSeen = false;
    std::string openWhileBoxUp = "not looked at";
    QTimer::singleShot(0, [&]() {
        // Inside the message box's own loop, as the socket is served there.
        boxSeen = ProcessEventsUntil([] { return QApplication::activeModalWidget() != nullptr; });
        start = std::thread([&handed, &second]() {
            handed = static_cast<int>(SingleInstance::SendOpenToRunning(QString::fromStdString(second)));
        });
        ProcessEventsUntil([&handed] { return handed >= 0; });
        ProcessEventsUntil([] { return false; }, 300); // the second start goes away meanwhile
        openWhileBoxUp = app.GetDocument() ? app.GetDocument()->GetPathName() : std::string();
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    EXPECT_EQ(app.OpenDocumentFile(damaged), nullptr);
    if (start.joinable())
        start.join();
    EXPECT_TRUE(boxSeen);
    EXPECT_EQ(handed, static_cast<int>(HandOver::Taken));
    EXPECT_EQ(openWhileBoxUp, "");

    EXPECT_TRUE(ProcessEventsUntil([&]() { return app.GetDocument() != nullptr; }));
    ASSERT_NE(app.GetDocument(), nullptr);
    EXPECT_EQ(app.GetDocument()->GetPathName(), second);
    app.CloseAllDocuments();
}
