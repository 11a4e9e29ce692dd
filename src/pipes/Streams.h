#pragma once

#include "common/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Byte streams: the message handed to OnPipeMessage, the data given to SendStream, and the assembly of
// a framed message in memory or in a temporary file.
namespace trelvo {

TRELVO_EXCEPTION(EStreamError, Exception);

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to Count bytes from the position; returns how many were read.
    virtual std::size_t Read(void *Buffer, std::size_t Count) = 0;
    // Writes Count bytes at the position, growing the stream; raises EStreamError when it cannot.
    virtual void Write(const void *Buffer, std::size_t Count) = 0;
    virtual std::uint64_t Size() const = 0;
    virtual void SetSize(std::uint64_t NewSize) = 0;
    virtual std::uint64_t Position() const = 0;
    virtual void SetPosition(std::uint64_t NewPosition) = 0;

    // The whole content, whatever the position; the position is kept.
    std::string Bytes();
    // Appends everything of Source from its position to its end.
    void CopyFrom(TStream &Source);
};

// A stream in memory. Capacity grows in steps of 8 KiB; a size of 0 frees the memory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    TMemoryStream(const void *Data, std::size_t Count);
    explicit TMemoryStream(const std::string &Data) : TMemoryStream(Data.data(), Data.size()) {}
    ~TMemoryStream() override;
    TMemoryStream(const TMemoryStream &) = delete;
    TMemoryStream &operator=(const TMemoryStream &) = delete;

    std::size_t Read(void *Buffer, std::size_t Count) override;
    void Write(const void *Buffer, std::size_t Count) override;
    std::uint64_t Size() const override { return FSize; }
    void SetSize(std::uint64_t NewSize) override;
    std::uint64_t Position() const override { return FPosition; }
    void SetPosition(std::uint64_t NewPosition) override { FPosition = NewPosition; }

    // Empties the stream and releases its memory.
    void Clear();
    const std::uint8_t *Memory() const { return FMemory; }
    std::size_t Capacity() const { return FCapacity; }

protected:
    // The capacity to reserve when NewCapacity bytes are needed.
    virtual std::size_t Realloc(std::size_t NewCapacity);

private:
    void SetCapacity(std::size_t NewCapacity);

    std::uint8_t *FMemory = nullptr;
    std::size_t FSize = 0;
    std::size_t FPosition = 0;
    std::size_t FCapacity = 0;
};

// A memory stream that reserves generously, for the message being read: N + 65535 bytes for a need of
// at most 65535, N + N/4 above that.
class TFastMemStream : public TMemoryStream {
protected:
    std::size_t Realloc(std::size_t NewCapacity) override;
};

// A stream over a file descriptor, which it closes when OwnsHandle is true.
class THandleStream : public TStream {
public:
    THandleStream(int Handle, bool OwnsHandle);
    ~THandleStream() override;
    THandleStream(const THandleStream &) = delete;
    THandleStream &operator=(const THandleStream &) = delete;

    std::size_t Read(void *Buffer, std::size_t Count) override;
    void Write(const void *Buffer, std::size_t Count) override;
    std::uint64_t Size() const override;
    void SetSize(std::uint64_t NewSize) override;
    std::uint64_t Position() const override;
    void SetPosition(std::uint64_t NewPosition) override;
    int Handle() const { return FHandle; }

private:
    int FHandle;
    bool FOwnsHandle;
};

} // namespace trelvo
