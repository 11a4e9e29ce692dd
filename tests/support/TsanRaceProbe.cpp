// A deliberate data race in code of ours, for the ThreadSanitizer build: run with tsan.supp loaded, it
// must still be reported. The kinds are the ones the suppressions could plausibly hide:
//   plain    an int that two threads write
//   qstring  a QString's characters, written and read through Qt's inline container code
//   slot     an int written by a thread and by our lambda that Qt's event loop calls
// The second access waits for the first through a relaxed flag, which orders nothing for the sanitizer,
// so the race is reported on every run.
#include <QCoreApplication>
#include <QString>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

int gShared = 0;
std::atomic<bool> gFirstDone{false};

void AfterTheFirst() {
    while (!gFirstDone.load(std::memory_order_relaxed))
        std::this_thread::yield();
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
    } else {
        std::fprintf(stderr, "usage: tsan_race_probe plain|qstring|slot\n");
        return 2;
    }
    std::printf("raced: %s\n", kind);
    return 0;
}
