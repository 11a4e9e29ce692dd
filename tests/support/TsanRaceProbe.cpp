// Probes for the ThreadSanitizer build, run with tsan.supp loaded.
//
// A deliberate data race in code of ours must still be reported. The kinds are the ones the suppressions
// could plausibly hide:
//   plain    an int that two threads write
//   qstring  a QString's characters, written and read through Qt's inline container code
//   slot     an int written by a thread and by our lambda that Qt's event loop calls
// The second access waits for the first through a relaxed flag, which orders nothing for the sanitizer,
// so the race is reported on every run.
//
// A hand-over under a mutex after a child program has run must not be reported:
//   handover-spawn     the child started by TSpawnedProcess
//   handover-qprocess  the child started by QProcess, whose CLONE_VM child runs the sanitizer's
//                      interceptors on our memory: reported (3 to 4 times a run), not a test, kept to show
//                      why the tests start programs with TSpawnedProcess
#include "SpawnedProcess.h"

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace {

int gShared = 0;
std::atomic<bool> gFirstDone{false};

void AfterTheFirst() {
    while (!gFirstDone.load(std::memory_order_relaxed))
        std::this_thread::yield();
}

// Five rounds of: a child program runs to its end, then a worker thread takes a string from this thread
// and gives it back, each way under a mutex.
void HandOverAfterChildren(bool WithQProcess) {
    for (int round = 0; round < 5; ++round) {
        if (WithQProcess) {
            QProcess child;
            child.start(QStringLiteral("true"), {});
            child.waitForFinished(30000);
        } else {
            trelvo::test::TSpawnedProcess child(QStringLiteral("true"), {});
            child.WaitForFinished(30000);
        }
        std::mutex lock;
        std::condition_variable changed;
        bool given = false, back = false;
        std::string value;
        std::thread worker([&] {
            std::unique_lock held(lock);
            changed.wait(held, [&] { return given; });
            value += " back";
            back = true;
            changed.notify_all();
        });
        {
            std::lock_guard held(lock);
            value = "given";
            given = true;
        }
        changed.notify_all();
        {
            std::unique_lock held(lock);
            changed.wait(held, [&] { return back; });
        }
        worker.join();
    }
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const char *kind = argc > 1 ? argv[1] : "";
    if (std::strcmp(kind, "plain") == 0) {
        std::thread first([] {
            gShared = 1;
            gFirstDone.store(true, std::memory_order_relaxed);
        });
        AfterTheFirst();
        gShared = 2;
        first.join();
    } else if (std::strcmp(kind, "qstring") == 0) {
        QString text(8, u'a');
        std::thread first([&text] {
            text[0] = u'b';
            gFirstDone.store(true, std::memory_order_relaxed);
        });
        AfterTheFirst();
        std::printf("%d\n", int(text.at(0).unicode()));
        first.join();
    } else if (std::strcmp(kind, "slot") == 0) {
        std::thread first([] {
            gShared = 1;
            gFirstDone.store(true, std::memory_order_relaxed);
        });
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, &app, [] {
            if (!gFirstDone.load(std::memory_order_relaxed))
                return;
            gShared = 2;
            QCoreApplication::quit();
        });
        look.start(0);
        QCoreApplication::exec();
        first.join();
    } else if (std::strcmp(kind, "handover-spawn") == 0 || std::strcmp(kind, "handover-qprocess") == 0) {
        HandOverAfterChildren(std::strcmp(kind, "handover-qprocess") == 0);
    } else {
        std::fprintf(stderr, "usage: tsan_race_probe plain|qstring|slot|handover-spawn|handover-qprocess\n");
        return 2;
    }
    std::printf("ran: %s\n", kind);
    return 0;
}
