// Feeds arbitrary packet streams to the pipe reader, both straight into DispatchReceived and through a
// real SOCK_SEQPACKET socket pair, and checks every delivered message against the reference reading.
#include "FramingModel.h"

#include "pipes/PipeReceiver.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

void Check(bool Ok, const char *What) {
    if (!Ok) {
        std::fprintf(stderr, "fuzz_pipes: %s\n", What);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
    using trelvo::TPipeReceiver;
    const std::vector<std::string> packets = trelvo::test::PacketsFromBytes(Data, Size, 1u << 19);
    const std::vector<std::string> expected = trelvo::test::ExpectedMessages(packets);

    // DispatchReceived alone.
    std::vector<std::string> direct;
    {
        TPipeReceiver receiver([&](trelvo::TStream &Message) {
            Check(Message.Position() == 0, "delivered stream not at position 0");
            direct.push_back(Message.Bytes());
        });
        for (const std::string &p : packets)
            receiver.Receive(p.data(), p.size());
    }
    Check(direct == expected, "DispatchReceived differs from the reference reading");

    // The read path over a real socket, ending with the peer's hang-up.
    int fds[2];
    Check(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) == 0, "socketpair");
    std::vector<std::string> read;
    {
        TPipeReceiver receiver([&](trelvo::TStream &Message) { read.push_back(Message.Bytes()); });
        int error = 0;
        for (const std::string &p : packets) {
            while (send(fds[1], p.data(), p.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0) {
                Check(errno == EAGAIN || errno == EWOULDBLOCK, "send");
                Check(receiver.ReadAvailable(fds[0], error) == TPipeReceiver::TReadResult::Pending,
                      "read failed");
            }
        }
        Check(receiver.ReadAvailable(fds[0], error) == TPipeReceiver::TReadResult::Pending, "read failed");
        close(fds[1]);
        Check(receiver.ReadAvailable(fds[0], error) == TPipeReceiver::TReadResult::Closed,
              "hang-up not seen");
    }
    close(fds[0]);
    Check(read == expected, "read path differs from the reference reading");
    return 0;
}
