#pragma once

// A reference reading of the wire framing, written apart from the receiver so that the two check each
// other, and a generator of hostile packet streams. Shared by the randomized test and the fuzz target.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trelvo::test {

inline std::uint32_t Le32(const std::string &Bytes, std::size_t At) {
    return std::uint32_t(std::uint8_t(Bytes[At])) | std::uint32_t(std::uint8_t(Bytes[At + 1])) << 8 |
           std::uint32_t(std::uint8_t(Bytes[At + 2])) << 16 |
           std::uint32_t(std::uint8_t(Bytes[At + 3])) << 24;
}

inline std::string Control(const char *Command, std::uint32_t Size = 16, const char *Lead = "MAGC",
                           const char *Tail = "MAGC") {
    std::string p;
    for (int i = 0; i < 4; ++i)
        p += char(Size >> (8 * i));
    return p + std::string(Lead, 4) + std::string(Command, 4) + std::string(Tail, 4);
}

// The messages a reader must deliver for these packets.
inline std::vector<std::string> ExpectedMessages(const std::vector<std::string> &Packets) {
    std::vector<std::string> out;
    std::optional<std::string> assembly;
    for (const std::string &p : Packets) {
        const bool control = p.size() == 16 && Le32(p, 0) == 16 && p.compare(4, 4, "MAGC") == 0 &&
                             p.compare(12, 4, "MAGC") == 0;
        if (control) {
            const std::string command = p.substr(8, 4);
            if (command == "STMB") {
                assembly = std::string();
            } else if (command == "ETMB") {
                if (assembly)
                    out.push_back(*assembly);
                assembly.reset();
            } else {
                assembly.reset();
            }
        } else if (assembly) {
            *assembly += p;
        } else {
            out.push_back(p);
        }
    }
    return out;
}

// Turns arbitrary bytes into a packet stream rich in framing: control packets, broken control packets
// (15 or 17 bytes, wrong size field or marker, unknown command), empty packets and data up to 200000
// bytes. The same bytes always give the same packets.
inline std::vector<std::string> PacketsFromBytes(const std::uint8_t *Data, std::size_t Size,
                                                 std::size_t MaxTotal = 4u << 20) {
    std::vector<std::string> packets;
    std::size_t at = 0, total = 0;
    auto next = [&]() -> std::uint8_t { return at < Size ? Data[at++] : 0; };
    while (at < Size && total < MaxTotal) {
        const std::uint8_t op = next();
        switch (op % 10) {
        case 0:
            packets.push_back(Control("STMB"));
            break;
        case 1:
            packets.push_back(Control("ETMB"));
            break;
        case 2: {
            const char command[4] = {char(next()), char(next()), 'M', 'B'};
            packets.push_back(Control(command));
            break;
        }
        case 3: {
            std::string p = Control(op & 0x10 ? "STMB" : "ETMB");
            switch (next() % 5) {
            case 0:
                p.pop_back();
                break; // 15 bytes
            case 1:
                p += char(next());
                break; // 17 bytes
            case 2:
                p[0] = char(next() | 1);
                break; // size field not 16
            case 3:
                p[5] = char(next() ^ 0x41);
                break; // lead marker damaged
            default:
                p[14] = char(next() ^ 0x47);
                break;
            }
            packets.push_back(p);
            break;
        }
        case 4:
            packets.emplace_back();
            break;
        case 5: {
            const std::size_t n = next() % 17 + 8; // near the control size
            std::string p(n, '\0');
            for (auto &c : p)
                c = char(next());
            packets.push_back(p);
            break;
        }
        default: {
            std::size_t n = std::size_t(next()) | std::size_t(next()) << 8;
            if (op % 10 == 9)
                n = (n << 2 | (next() & 3)) % 200001;
            std::string p(n, '\0');
            const std::uint8_t seed = next();
            for (std::size_t i = 0; i < n; ++i)
                p[i] = char(seed + i * 31);
            total += n;
            packets.push_back(std::move(p));
            break;
        }
        }
    }
    return packets;
}

} // namespace trelvo::test
