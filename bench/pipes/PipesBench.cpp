// The pipe transport against raw SOCK_SEQPACKET sockets: round-trip latency of a 64-byte message and
// throughput of 1 MiB and 64 MiB messages, with and without the flush after every write, and the
// worker's wake-ups while a peer does not read. The goals compare with a raw baseline that keeps the
// transport's contract: the same packets (a framed message is three), each written only once the peer
// has read the one before.
#include "pipes/PipeProtocol.h"
#include "pipes/PipeSocket.h"
#include "pipes/PipeThread.h"
#include "pipes/Pipes.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <memory>
#include <poll.h>
#include <set>
#include <string>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace trelvo {
namespace {

constexpr std::size_t kMiB = 1u << 20;

void MakePair(int Fds[2]) {
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, Fds) != 0)
        std::abort();
}

// Sends back every packet that arrives on Fd, until the socket is shut down.
std::thread RawEcho(int Fd) {
    return std::thread([Fd] {
        char buffer[256];
        for (;;) {
            const ssize_t n = recv(Fd, buffer, sizeof buffer, 0);
            if (n <= 0 || send(Fd, buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL) < 0)
                return;
        }
    });
}

// Waits until the peer has read everything written on Fd, the way a bare program would: looking again
// and again, and giving the processor away in between.
void RawFlush(int Fd) {
    while (UnreadOutput(Fd) != 0 && !PeerGone(Fd))
        std::this_thread::yield();
}

// The same wait as the transport's worker makes it: asleep until the peer's reading wakes an
// edge-triggered watch of a second descriptor of the socket. Not a goal's baseline: it shows how much
// of the distance to the baseline is sleeping instead of looking.
class TSleepingFlush {
public:
    explicit TSleepingFlush(int Fd)
        : FOut(fcntl(Fd, F_DUPFD_CLOEXEC, 0)), FWait(epoll_create1(EPOLL_CLOEXEC)) {
        epoll_event ev{};
        ev.events = EPOLLOUT | EPOLLET;
        if (FOut < 0 || FWait < 0 || epoll_ctl(FWait, EPOLL_CTL_ADD, FOut, &ev) != 0)
            std::abort();
    }
    ~TSleepingFlush() {
        close(FOut);
        close(FWait);
    }
    TSleepingFlush(const TSleepingFlush &) = delete;
    TSleepingFlush &operator=(const TSleepingFlush &) = delete;
    void operator()(int Fd) const {
        epoll_event ev{};
        while (UnreadOutput(Fd) != 0 && !PeerGone(Fd))
            epoll_wait(FWait, &ev, 1, 100);
    }

private:
    int FOut, FWait;
};

using TFlush = std::function<void(int Fd)>;

bool SendFlushed(int Fd, const void *Data, std::size_t Count, const TFlush &Flush) {
    if (send(Fd, Data, Count, MSG_NOSIGNAL) < 0)
        return false;
    Flush(Fd);
    return true;
}

// A framed message as the raw baseline writes it: start packet, data packets, end packet, each flushed.
bool SendFramedFlushed(int Fd, const char *Data, std::size_t Count, const TFlush &Flush = RawFlush) {
    const auto start = MakeControlPacket(MB_START), end = MakeControlPacket(MB_END);
    if (!SendFlushed(Fd, start.data(), start.size(), Flush))
        return false;
    for (std::size_t sent = 0; sent < Count; sent += MAX_BUFFER)
        if (!SendFlushed(Fd, Data + sent, std::min<std::size_t>(MAX_BUFFER, Count - sent), Flush))
            return false;
    return SendFlushed(Fd, end.data(), end.size(), Flush);
}

// Reads one framed message of the raw baseline; its size, or -1 when the socket is shut down.
long ReceiveFramed(int Fd, std::vector<char> &Buffer, std::string *Message = nullptr) {
    long size = 0;
    for (int packet = 0;; ++packet) {
        const ssize_t n = recv(Fd, Buffer.data(), Buffer.size(), 0);
        if (n <= 0)
            return -1;
        if (packet == 0)
            continue; // the start packet
        if (n == 16 && std::memcmp(Buffer.data() + 8, "ETMB", 4) == 0)
            return size;
        size += n;
        if (Message)
            Message->append(Buffer.data(), static_cast<std::size_t>(n));
    }
}

// Echoes every framed message back the same way, until the socket is shut down.
std::thread RawFlushingEcho(int Fd, bool Sleeping = false) {
    return std::thread([Fd, Sleeping] {
        std::vector<char> buffer(MAX_BUFFER);
        std::string message;
        const TSleepingFlush sleeping(Fd);
        const TFlush flush = Sleeping ? TFlush(std::cref(sleeping)) : TFlush(RawFlush);
        for (;;) {
            message.clear();
            if (ReceiveFramed(Fd, buffer, &message) < 0 ||
                !SendFramedFlushed(Fd, message.data(), message.size(), flush))
                return;
        }
    });
}

void RawRoundTrip(benchmark::State &State) {
    int fds[2];
    MakePair(fds);
    std::thread echo = RawEcho(fds[1]);
    const std::string message(64, 'm');
    char reply[256];
    for (auto _ : State) {
        send(fds[0], message.data(), message.size(), MSG_NOSIGNAL);
        if (recv(fds[0], reply, sizeof reply, 0) != 64)
            std::abort();
    }
    shutdown(fds[0], SHUT_RDWR);
    echo.join();
    close(fds[0]);
    close(fds[1]);
}

void RawThroughput(benchmark::State &State) {
    const std::size_t total = static_cast<std::size_t>(State.range(0)) * kMiB;
    int fds[2];
    MakePair(fds);
    std::atomic<bool> stop{false};
    std::vector<char> data(MAX_BUFFER, 'd');
    for (auto _ : State) {
        std::thread writer([&] {
            for (std::size_t sent = 0; sent < total; sent += MAX_BUFFER)
                send(fds[1], data.data(), std::min<std::size_t>(MAX_BUFFER, total - sent), MSG_NOSIGNAL);
        });
        std::vector<char> buffer(MAX_BUFFER);
        for (std::size_t got = 0; got < total;)
            got += static_cast<std::size_t>(recv(fds[0], buffer.data(), buffer.size(), 0));
        writer.join();
    }
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * total));
    close(fds[0]);
    close(fds[1]);
}

// A server and a client on this thread; the server echoes or counts what arrives.
struct TPipePair {
    TPipeServer server;
    TPipeClient client;
    bool echo = false;
    std::uint64_t arrived = 0;
    bool replied = false;

    TPipePair(const char *Name) {
        const std::string name = std::string(Name) + "-" + std::to_string(getpid());
        server.SetPipeName(name);
        server.OnPipeMessage = [this](void *, TPipeHandle Pipe, TStream &S) {
            arrived = S.Size();
            if (echo)
                server.SendStream(Pipe, S);
        };
        client.OnPipeMessage = [this](void *, TPipeHandle, TStream &) { replied = true; };
        client.SetPipeName(name);
        if (!server.Open() || !client.Connect(0, true))
            std::abort();
    }
};

// An echoing server on a thread of its own, as the raw round trip's echo is, so that both measure two
// ends on two threads.
class TEchoThread {
public:
    explicit TEchoThread(const std::string &Name) {
        FThread = std::thread([this, Name] {
            TPipeServer server;
            server.SetPipeName(Name);
            server.OnPipeMessage = [&server](void *, TPipeHandle Pipe, TStream &S) {
                server.SendStream(Pipe, S);
            };
            FOpen = server.Open();
            FReady = true;
            TThreadQueue::Current().WaitUntil([this] { return FStop.load(); }, -1);
            server.Close();
        });
        while (!FReady)
            std::this_thread::yield();
        if (!FOpen)
            std::abort();
    }
    ~TEchoThread() {
        FStop = true;
        FThread.join();
    }

private:
    std::thread FThread;
    std::atomic<bool> FReady{false}, FOpen{false}, FStop{false};
};

// A client connected to an echoing server on its own thread; RoundTrip sends and waits for the echo.
struct TEchoedClient {
    TEchoThread echo;
    TPipeClient client;
    bool replied = false;

    explicit TEchoedClient(const std::string &Name) : echo(Name) {
        client.OnPipeMessage = [this](void *, TPipeHandle, TStream &) { replied = true; };
        client.SetPipeName(Name);
        if (!client.Connect(0, true))
            std::abort();
    }
    ~TEchoedClient() { client.Disconnect(); }

    void RoundTrip(TMemoryStream &Message) {
        replied = false;
        client.SendStream(Message);
        TThreadQueue::Current().WaitUntil([this] { return replied; }, -1);
    }
};

void FramedRoundTrip(benchmark::State &State, bool Flush) {
    TPipeThread::SetFlushAfterWrite(Flush);
    {
        TEchoedClient echoed("bench-latency-" + std::to_string(getpid()));
        TMemoryStream message(std::string(64, 'm'));
        for (auto _ : State)
            echoed.RoundTrip(message);
    }
    TPipeThread::SetFlushAfterWrite(true);
}

void FramedThroughput(benchmark::State &State, bool Flush) {
    TPipeThread::SetFlushAfterWrite(Flush);
    const std::size_t total = static_cast<std::size_t>(State.range(0)) * kMiB;
    TPipePair pair("bench-throughput");
    TMemoryStream message(std::string(total, 'd'));
    auto &queue = TThreadQueue::Current();
    for (auto _ : State) {
        pair.arrived = 0;
        pair.client.SendStream(message);
        queue.WaitUntil([&] { return pair.arrived == total; }, -1);
    }
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * total));
    TPipeThread::SetFlushAfterWrite(true);
}

// The machine is shared, so raw and framed round trips alternate one by one and are compared by
// their distributions: both see the same load. The median is the typical figure; the tenth percentile
// shows each path when nothing else got in its way. Also counts the context switches each costs.
void PairedRoundTrip(benchmark::State &State) {
    int fds[2], flushFds[2], sleepFds[2];
    MakePair(fds);
    MakePair(flushFds);
    MakePair(sleepFds);
    std::thread rawEcho = RawEcho(fds[1]);
    std::thread flushEcho = RawFlushingEcho(flushFds[1]);
    std::thread sleepEcho = RawFlushingEcho(sleepFds[1], true);
    const TSleepingFlush sleeping(sleepFds[0]);
    std::vector<char> flushBuffer(MAX_BUFFER);
    auto echoed = std::make_unique<TEchoedClient>("bench-paired-" + std::to_string(getpid()));
    const std::string payload(64, 'm');
    TMemoryStream message(payload);
    auto switches = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return static_cast<double>(usage.ru_nvcsw + usage.ru_nivcsw);
    };
    using TClock = std::chrono::steady_clock;
    std::vector<double> raw, flushed, slept, framed;
    double rawSwitches = 0, flushedSwitches = 0, sleptSwitches = 0, framedSwitches = 0;
    for (auto _ : State) {
        const auto end = TClock::now() + std::chrono::seconds(3);
        while (TClock::now() < end) {
            const double s0 = switches();
            const auto t0 = TClock::now();
            char reply[256];
            send(fds[0], payload.data(), payload.size(), MSG_NOSIGNAL);
            if (recv(fds[0], reply, sizeof reply, 0) != 64)
                std::abort();
            const auto t1 = TClock::now();
            const double s1 = switches();
            if (!SendFramedFlushed(flushFds[0], payload.data(), payload.size()) ||
                ReceiveFramed(flushFds[0], flushBuffer) != 64)
                std::abort();
            const auto t2 = TClock::now();
            const double s2 = switches();
            if (!SendFramedFlushed(sleepFds[0], payload.data(), payload.size(), std::cref(sleeping)) ||
                ReceiveFramed(sleepFds[0], flushBuffer) != 64)
                std::abort();
            const auto t3 = TClock::now();
            const double s3 = switches();
            echoed->RoundTrip(message);
            const auto t4 = TClock::now();
            framedSwitches += switches() - s3;
            sleptSwitches += s3 - s2;
            flushedSwitches += s2 - s1;
            rawSwitches += s1 - s0;
            raw.push_back(std::chrono::duration<double>(t1 - t0).count());
            flushed.push_back(std::chrono::duration<double>(t2 - t1).count());
            slept.push_back(std::chrono::duration<double>(t3 - t2).count());
            framed.push_back(std::chrono::duration<double>(t4 - t3).count());
        }
    }
    echoed.reset();
    for (int fd : {fds[0], flushFds[0], sleepFds[0]})
        shutdown(fd, SHUT_RDWR);
    rawEcho.join();
    flushEcho.join();
    sleepEcho.join();
    for (int fd : {fds[0], fds[1], flushFds[0], flushFds[1], sleepFds[0], sleepFds[1]})
        close(fd);
    auto percentile = [](std::vector<double> &Times, double P) {
        std::nth_element(Times.begin(), Times.begin() + static_cast<long>(P * (Times.size() - 1)),
                         Times.end());
        return Times[static_cast<std::size_t>(P * (Times.size() - 1))];
    };
    const double trips = static_cast<double>(raw.size());
    State.counters["raw_us"] = percentile(raw, 0.5) * 1e6;
    State.counters["flushed_us"] = percentile(flushed, 0.5) * 1e6;
    State.counters["framed_us"] = percentile(framed, 0.5) * 1e6;
    State.counters["slept_us"] = percentile(slept, 0.5) * 1e6;
    State.counters["raw_p10_us"] = percentile(raw, 0.1) * 1e6;
    State.counters["flushed_p10_us"] = percentile(flushed, 0.1) * 1e6;
    State.counters["framed_p10_us"] = percentile(framed, 0.1) * 1e6;
    State.counters["raw_switches"] = rawSwitches / trips;
    State.counters["flushed_switches"] = flushedSwitches / trips;
    State.counters["framed_switches"] = framedSwitches / trips;
    State.counters["slept_switches"] = sleptSwitches / trips;
}

// The process's resident memory.
double ResidentMiB() {
    long pages = 0, resident = 0;
    if (std::FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
           static_cast<double>(kMiB);
}

double Percentile(std::vector<double> Times, double P) {
    const auto at = static_cast<std::size_t>(P * static_cast<double>(Times.size() - 1));
    std::nth_element(Times.begin(), Times.begin() + static_cast<long>(at), Times.end());
    return Times[at];
}

// Raw and framed transfers of the same size alternate, as the round trips do, so that both see the
// same load; compared by their median and tenth-percentile rates.
void PairedThroughput(benchmark::State &State) {
    const std::size_t total = static_cast<std::size_t>(State.range(0)) * kMiB;
    int fds[2], flushFds[2];
    MakePair(fds);
    MakePair(flushFds);
    std::vector<char> data(MAX_BUFFER, 'd');
    std::vector<char> buffer(MAX_BUFFER);
    const std::string whole(total, 'd');
    TPipePair pair("bench-paired-throughput");
    TMemoryStream message(std::string(total, 'd'));
    auto &queue = TThreadQueue::Current();
    using TClock = std::chrono::steady_clock;
    std::vector<double> raw, flushed, framed;
    for (auto _ : State) {
        const auto end = TClock::now() + std::chrono::seconds(4);
        while (TClock::now() < end || raw.size() < 5) {
            const auto t0 = TClock::now();
            std::thread writer([&] {
                for (std::size_t sent = 0; sent < total; sent += MAX_BUFFER)
                    send(fds[1], data.data(), std::min<std::size_t>(MAX_BUFFER, total - sent), MSG_NOSIGNAL);
            });
            for (std::size_t got = 0; got < total;)
                got += static_cast<std::size_t>(recv(fds[0], buffer.data(), buffer.size(), 0));
            writer.join();
            const auto t1 = TClock::now();
            std::thread flushingWriter([&] { SendFramedFlushed(flushFds[1], whole.data(), whole.size()); });
            if (ReceiveFramed(flushFds[0], buffer) != static_cast<long>(total))
                std::abort();
            flushingWriter.join();
            const auto t2 = TClock::now();
            pair.arrived = 0;
            pair.client.SendStream(message);
            queue.WaitUntil([&] { return pair.arrived == total; }, -1);
            const auto t3 = TClock::now();
            raw.push_back(std::chrono::duration<double>(t1 - t0).count());
            flushed.push_back(std::chrono::duration<double>(t2 - t1).count());
            framed.push_back(std::chrono::duration<double>(t3 - t2).count());
        }
    }
    for (int fd : {fds[0], fds[1], flushFds[0], flushFds[1]})
        close(fd);
    // What the connection keeps of its last message once it has had nothing to do for a while.
    const double busyMiB = ResidentMiB();
    queue.WaitUntil([] { return false; }, 2000);
    State.counters["idle_rss_drop_mib"] = busyMiB - ResidentMiB();
    const double mib = static_cast<double>(total) / static_cast<double>(kMiB);
    State.counters["raw_mibs"] = mib / Percentile(raw, 0.5);
    State.counters["flushed_mibs"] = mib / Percentile(flushed, 0.5);
    State.counters["framed_mibs"] = mib / Percentile(framed, 0.5);
    State.counters["raw_p10_mibs"] = mib / Percentile(raw, 0.1);
    State.counters["flushed_p10_mibs"] = mib / Percentile(flushed, 0.1);
    State.counters["framed_p10_mibs"] = mib / Percentile(framed, 0.1);
}

// Voluntary context switches of one thread so far.
long ThreadSwitches(pid_t Tid) {
    std::FILE *f = std::fopen(("/proc/self/task/" + std::to_string(Tid) + "/status").c_str(), "r");
    if (!f)
        return -1;
    long value = -1;
    char line[256];
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "voluntary_ctxt_switches: %ld", &value) == 1)
            break;
    std::fclose(f);
    return value;
}

std::set<pid_t> Threads() {
    std::set<pid_t> tids;
    if (DIR *dir = opendir("/proc/self/task")) {
        while (dirent *entry = readdir(dir))
            if (entry->d_name[0] != '.')
                tids.insert(static_cast<pid_t>(std::atoi(entry->d_name)));
        closedir(dir);
    }
    return tids;
}

// A client whose peer accepts but never reads: its worker waits for the flush of its first write for
// ever. Counts the worker's wake-ups (voluntary context switches) a second while it waits.
void StalledFlushWakeups(benchmark::State &State) {
    const std::string path = PipePath("", "bench-stalled-" + std::to_string(getpid()));
    const TPipeHandle listener = ListenPipe(path);
    if (!IsValidHandle(listener))
        std::abort();
    TPipeClient client;
    client.SetPipeName("bench-stalled-" + std::to_string(getpid()));
    const std::set<pid_t> before = Threads();
    if (!client.Connect(0, true))
        std::abort();
    pollfd p{listener, POLLIN, 0};
    poll(&p, 1, 1000);
    const int peer = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    pid_t worker = 0;
    for (pid_t tid : Threads())
        if (!before.count(tid))
            worker = tid;
    const std::string packet(64, 'w');
    client.Write(packet.data(), static_cast<std::uint32_t>(packet.size()));
    client.Write(packet.data(), static_cast<std::uint32_t>(packet.size()));
    auto &queue = TThreadQueue::Current();
    // The first milliseconds of the wait are not what is measured.
    queue.WaitUntil([] { return false; }, 200);
    double perSecond = 0;
    for (auto _ : State) {
        const long start = ThreadSwitches(worker);
        const auto t0 = std::chrono::steady_clock::now();
        queue.WaitUntil([] { return false; }, 3000);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        perSecond = static_cast<double>(ThreadSwitches(worker) - start) / seconds;
    }
    State.counters["wakeups_per_s"] = perSecond;
    close(peer); // the hang-up ends the worker
    client.Disconnect();
    close(listener);
}

constexpr int kRepetitions = 3;
BENCHMARK(RawRoundTrip)->Name("latency/raw")->UseRealTime()->Repetitions(kRepetitions);
BENCHMARK_CAPTURE(FramedRoundTrip, flush, true)
    ->Name("latency/framed")
    ->UseRealTime()
    ->Repetitions(kRepetitions);
BENCHMARK_CAPTURE(FramedRoundTrip, noflush, false)
    ->Name("latency/framed_noflush")
    ->UseRealTime()
    ->Repetitions(kRepetitions);
BENCHMARK(PairedRoundTrip)->Name("latency/paired")->Iterations(1)->UseRealTime();
BENCHMARK(StalledFlushWakeups)->Name("wakeups/stalled_flush")->Iterations(1)->UseRealTime();
BENCHMARK(PairedThroughput)->Name("throughput/paired")->Arg(1)->Arg(64)->Iterations(1)->UseRealTime();
BENCHMARK(RawThroughput)
    ->Name("throughput/raw")
    ->Arg(1)
    ->Arg(64)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions);
BENCHMARK_CAPTURE(FramedThroughput, flush, true)
    ->Name("throughput/framed")
    ->Arg(1)
    ->Arg(64)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions);
BENCHMARK_CAPTURE(FramedThroughput, noflush, false)
    ->Name("throughput/framed_noflush")
    ->Arg(1)
    ->Arg(64)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions);

// Keeps every run's figures for the ratios printed at the end.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &Runs) override {
        ConsoleReporter::ReportRuns(Runs);
        for (const Run &run : Runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0)
                continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            // The best of the repetitions: the machine is shared, and load only ever adds time.
            const double time = run.real_accumulated_time / static_cast<double>(run.iterations);
            if (!seconds.count(name) || time < seconds[name])
                seconds[name] = time;
            for (const auto &[key, counter] : run.counters)
                counters[name + ":" + key] = counter.value;
            auto bytes = run.counters.find("bytes_per_second");
            if (bytes != run.counters.end() && bytes->second.value > rate[name])
                rate[name] = bytes->second.value;
        }
    }
    std::map<std::string, double> seconds, rate, counters;
};

} // namespace
} // namespace trelvo

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    trelvo::TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto &t = reporter.seconds;
    auto &r = reporter.rate;
    auto &c = reporter.counters;
    // The goals are judged on the alternating runs, which see the same load on both paths.
    std::printf("\n");
    if (c.count("latency/paired:raw_us")) {
        const double flushed = c["latency/paired:flushed_us"], framed = c["latency/paired:framed_us"];
        const double flushedFast = c["latency/paired:flushed_p10_us"];
        const double framedFast = c["latency/paired:framed_p10_us"];
        std::printf("64-byte round trip, alternating: median %.2f x the flushing raw baseline (goal <= 1.5x; "
                    "flushing raw %.1f us, framed %.1f us); tenth percentile %.2f x (%.1f us, %.1f us)\n",
                    framed / flushed, flushed, framed, framedFast / flushedFast, flushedFast, framedFast);
        std::printf("  raw without flushing %.1f us; raw flushing asleep as the worker does %.1f us (framed "
                    "%.2f x it); context switches a round trip: raw %.1f, flushing raw %.1f, flushing "
                    "asleep %.1f, framed %.1f\n",
                    c["latency/paired:raw_us"], c["latency/paired:slept_us"],
                    framed / c["latency/paired:slept_us"], c["latency/paired:raw_switches"],
                    c["latency/paired:flushed_switches"], c["latency/paired:slept_switches"],
                    c["latency/paired:framed_switches"]);
    }
    for (const char *size : {"1", "64"}) {
        const std::string key = std::string("throughput/paired/") + size + ":";
        if (!c.count(key + "raw_mibs"))
            continue;
        const double flushed = c[key + "flushed_mibs"], framed = c[key + "framed_mibs"];
        const double flushedFast = c[key + "flushed_p10_mibs"], framedFast = c[key + "framed_p10_mibs"];
        std::printf("%s MiB messages, alternating: median %.2f x the flushing raw baseline (goal >= 0.8x "
                    "for 64 MiB; flushing raw %.0f MiB/s, framed %.0f MiB/s); tenth percentile %.2f x "
                    "(%.0f MiB/s, %.0f MiB/s); raw without flushing %.0f MiB/s\n",
                    size, framed / flushed, flushed, framed, framedFast / flushedFast, flushedFast,
                    framedFast, c[key + "raw_mibs"]);
        std::printf("  resident memory given back after 2 s without traffic: %.1f MiB\n",
                    c[key + "idle_rss_drop_mib"]);
    }
    if (c.count("wakeups/stalled_flush:wakeups_per_s"))
        std::printf(
            "Worker wake-ups while its flush waits for a peer that does not read: %.1f a second (goal "
            "<= 20)\n",
            c["wakeups/stalled_flush:wakeups_per_s"]);

    std::printf("Separate runs, best of %d repetitions each (raw and framed at different moments):\n",
                trelvo::kRepetitions);
    if (t.count("latency/raw") && t.count("latency/framed")) {
        std::printf("  64-byte round trip: raw %.1f us, framed %.1f us: %.2f x raw\n", t["latency/raw"] * 1e6,
                    t["latency/framed"] * 1e6, t["latency/framed"] / t["latency/raw"]);
        if (t.count("latency/framed_noflush"))
            std::printf("  without the flush after write %.1f us: the flush costs %.1f us a round trip\n",
                        t["latency/framed_noflush"] * 1e6,
                        (t["latency/framed"] - t["latency/framed_noflush"]) * 1e6);
    }
    for (const char *size : {"1", "64"}) {
        const std::string raw = std::string("throughput/raw/") + size;
        const std::string framed = std::string("throughput/framed/") + size;
        const std::string noflush = std::string("throughput/framed_noflush/") + size;
        if (!r.count(raw) || !r.count(framed))
            continue;
        std::printf("  %s MiB messages: raw %.0f MiB/s, framed %.0f MiB/s: %.2f x raw\n", size,
                    r[raw] / 1048576, r[framed] / 1048576, r[framed] / r[raw]);
        if (r.count(noflush))
            std::printf("  without the flush after write %.0f MiB/s (%.2f x raw)\n", r[noflush] / 1048576,
                        r[noflush] / r[raw]);
    }
    benchmark::Shutdown();
    return 0;
}
