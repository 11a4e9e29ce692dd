#pragma once

#include "pipes/Posix.h"

#include <cstdint>
#include <string>

// The pipe's mapping onto Linux: a SOCK_SEQPACKET socket in the abstract namespace named by the full
// path text ("\\.\pipe\NAME"), one packet per pipe message.
namespace trelvo {

// "\\.\pipe\" + PipeName, or "\\SERVER\pipe\" + PipeName when ServerName is set and is not this
// machine (compared without regard to case).
std::string PipePath(const std::string &ServerName, const std::string &PipeName);

// Connects to the listener of Path. No listener fails at once; a full backlog is tried again until
// WaitTime ms have passed (0: 50 ms, kInfinite: no limit). Returns a non-blocking socket or kInvalidPipe.
TPipeHandle ConnectPipe(const std::string &Path, std::uint32_t WaitTime);

// A non-blocking listening socket bound to Path, or kInvalidPipe (errno tells why; EADDRINUSE: taken).
TPipeHandle ListenPipe(const std::string &Path);

// Bytes written on the socket that the peer has not read yet.
int UnreadOutput(TPipeHandle Pipe);
// True when the peer has hung up or the socket is in error.
bool PeerGone(TPipeHandle Pipe);

// Broken-pipe errors: the peer going away is the normal end of a connection, not an error.
bool IsBrokenPipe(int ErrorCode);

} // namespace trelvo
