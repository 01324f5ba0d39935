// Opening a generated Picture Book in the real viewer, headless, until the tree
// and the photo window have painted. Each measurement is a fresh viewer
// process (this program started again with --open), which reports its own CPU
// time and peak resident memory, so no cache or earlier peak carries over.

#include "BookFixture.h"
#include "platform/Prompter.h"
#include "viewer/ChildFrame.h"
#include "viewer/CorvaleApp.h"
#include "viewer/MainFrame.h"
#include "viewer/PhotoTree.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Sample {
    double processCpu = 0; // the whole viewer process (all threads): start-up, open, first paint
    double openCpu = 0;    // OpenDocumentFile until the tree and the photo window painted
    double peakMiB = 0;
};

std::string g_self;
std::string g_home;
std::map<int, std::string> g_books;
std::map<int, std::vector<Sample>> g_samples;
std::vector<double> g_ratios; // 100,000 nodes against 1,000, one per round

double ProcessCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Ends the loop once every watched widget has painted at least once.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QEventLoop& loop) : m_loop(loop) {}
    void Watch(QWidget* widget)
    {
        widget->installEventFilter(this);
        ++m_nWaiting;
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            if (--m_nWaiting == 0)
                QTimer::singleShot(0, &m_loop, &QEventLoop::quit);
        }
        return false;
    }

private:
    QEventLoop& m_loop;
    int m_nWaiting = 0;
};

// The high-water mark of this program's own memory since exec. Unlike the
// maxrss of getrusage it does not start from the forking parent's size.
long PeakResidentKiB()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1)
            break;
    std::fclose(status);
    return kib;
}

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// The child: a viewer that starts empty, then opens `book` through the one
// open path, as File Open does. Prints "process-cpu open-cpu peak-KiB".
int OpenInViewer(int argc, char** argv, const char* book)
{
    QApplication qapp(argc, argv);
    StderrPrompter prompter; // a failed open must end the run, not wait on a dialog
    Prompter::SetCurrent(&prompter);
    CCorvaleApp app;
    if (!app.InitInstance({QStringLiteral("Corvale")}))
        return 2;
    Settle();

    QEventLoop loop;
    PaintWatch watch(loop);
    watch.Watch(app.GetMainFrame()->PhotoTree()->viewport());
    double openStart = ProcessCpuSeconds();
    if (!app.OpenDocumentFile(book) || !app.GetPhotoFrame())
        return 3;
    auto* view = qobject_cast<QAbstractScrollArea*>(app.GetPhotoFrame()->View());
    watch.Watch(view ? view->viewport() : app.GetPhotoFrame());
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    double openEnd = ProcessCpuSeconds();

    std::printf("%.6f %.6f %ld\n", ProcessCpuSeconds(), openEnd - openStart, PeakResidentKiB());
    std::fflush(stdout);
    // Tearing down a large book is not part of opening it.
    _exit(0);
}

bool RunChild(const std::string& book, Sample& sample)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        for (const char* name : {"HOME=", "XDG_CONFIG_HOME=", "XDG_DATA_HOME=", "XDG_RUNTIME_DIR=",
                                 "CORVALE_REGISTRY_DIR=", "QT_QPA_PLATFORM=", "DISPLAY="})
            if (entry.rfind(name, 0) == 0)
                entry.clear();
        if (!entry.empty())
            env.push_back(entry);
    }
    env.push_back("HOME=" + g_home);
    env.push_back("XDG_CONFIG_HOME=" + g_home + "/.config");
    env.push_back("XDG_DATA_HOME=" + g_home + "/.local/share");
    env.push_back("XDG_RUNTIME_DIR=" + g_home + "/run");
    env.push_back("CORVALE_REGISTRY_DIR=" + g_home + "/registry");
    env.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string open = "--open";
    std::vector<char*> args = {g_self.data(), open.data(), const_cast<char*>(book.c_str()), nullptr};

    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execve(g_self.c_str(), args.data(), envp.data());
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    long peakKiB = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(out.c_str(), "%lf %lf %ld", &sample.processCpu, &sample.openCpu, &peakKiB) != 3)
        return false;
    sample.peakMiB = double(peakKiB) / 1024.0;
    return true;
}

void BM_OpenBookInViewer(benchmark::State& state)
{
    int nodes = static_cast<int>(state.range(0));
    Sample sample;
    for (auto _ : state) {
        if (!RunChild(g_books[nodes], sample)) {
            state.SkipWithError("the viewer did not open the book");
            return;
        }
        state.SetIterationTime(sample.processCpu);
    }
    g_samples[nodes].push_back(sample);
    state.counters["process_cpu_s"] = sample.processCpu;
    state.counters["open_cpu_s"] = sample.openCpu;
    state.counters["peak_MiB"] = sample.peakMiB;
}

// The two sizes the ratio compares, opened back to back in each round (the
// order alternating), so that the load of a shared machine weighs on both.
void BM_LargeVsSmallBook(benchmark::State& state)
{
    Sample small, large;
    for (auto _ : state) {
        bool smallFirst = g_ratios.size() % 2 == 0;
        bool ok = smallFirst ? RunChild(g_books[1000], small) && RunChild(g_books[100000], large)
                             : RunChild(g_books[100000], large) && RunChild(g_books[1000], small);
        if (!ok) {
            state.SkipWithError("the viewer did not open the book");
            return;
        }
        state.SetIterationTime(large.processCpu);
    }
    g_ratios.push_back(large.processCpu / small.processCpu);
    state.counters["ratio"] = g_ratios.back();
    state.counters["small_cpu_s"] = small.processCpu;
    state.counters["large_cpu_s"] = large.processCpu;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double MedianOf(int nodes, double Sample::*field)
{
    std::vector<double> values;
    for (const Sample& s : g_samples[nodes])
        values.push_back(s.*field);
    return Median(values);
}

void PrintGoals()
{
    std::printf("goal: open a 1,000,000-node book in the viewer: %.2f s CPU (open alone %.2f s), "
                "%.0f MiB peak | goal <= 2.5 s, <= 550 MiB\n",
                MedianOf(1000000, &Sample::processCpu), MedianOf(1000000, &Sample::openCpu),
                MedianOf(1000000, &Sample::peakMiB));
    std::printf("goal: open a 100,000-node book vs a 1,000-node book: %.2fx in paired runs (alone: %.3f s "
                "vs %.3f s CPU, open alone %.3f s vs %.3f s) | goal <= 1.5x\n",
                Median(g_ratios), MedianOf(100000, &Sample::processCpu), MedianOf(1000, &Sample::processCpu),
                MedianOf(100000, &Sample::openCpu), MedianOf(1000, &Sample::openCpu));
}

bool WriteBook(int nodes, const std::string& path)
{
    RecordingPrompter quiet;
    return MakeBenchBook(nodes)->OnSaveDocument(path);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--open") == 0)
        return OpenInViewer(argc, argv, argv[2]);
    // A book to try by hand: --write-book NODES PATH.
    if (argc >= 4 && std::strcmp(argv[1], "--write-book") == 0)
        return WriteBook(std::atoi(argv[2]), argv[3]) ? 0 : 1;

    g_self = std::filesystem::read_symlink("/proc/self/exe").string();
    char folder[] = "/tmp/corvale-bench-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    g_home = std::string(folder) + "/home";
    std::filesystem::create_directories(g_home + "/run");
    std::filesystem::permissions(g_home + "/run", std::filesystem::perms::owner_all);
    for (int nodes : {1000, 100000, 1000000}) {
        std::string path = std::string(folder) + "/Book" + std::to_string(nodes) + ".pbk";
        if (!WriteBook(nodes, path))
            return 1;
        g_books[nodes] = path;
    }

    // The first viewer in a new home builds the font and plug-in caches; no
    // user pays that on every start, so it is not measured.
    Sample warmUp;
    if (!RunChild(g_books[1000], warmUp))
        return 1;

    for (int nodes : {1000, 100000, 1000000})
        benchmark::RegisterBenchmark("BM_OpenBookInViewer", BM_OpenBookInViewer)
            ->Arg(nodes)
            ->Iterations(1)
            ->Repetitions(5)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_LargeVsSmallBook", BM_LargeVsSmallBook)
        ->Iterations(1)
        ->Repetitions(7)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintGoals();
    std::filesystem::remove_all(folder);
    return 0;
}
