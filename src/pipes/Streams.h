#pragma once

#include "common/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
    // The whole content without a copy where the stream can give one (memory, a mapped file); valid
    // until the stream is written to or goes.
    virtual std::string_view View();
    // True when View() shows the stream's own memory rather than a copy.
    virtual bool ViewIsDirect() const { return false; }
    // Appends everything of Source from its position to its end.
    void CopyFrom(TStream &Source);

private:
    std::string FViewCopy;
};

// A read-only stream over bytes it does not own.
class TMemoryView : public TStream {
public:
    TMemoryView(const void *Data, std::size_t Count)
        : FData(static_cast<const std::uint8_t *>(Data)), FSize(Count) {}

    std::size_t Read(void *Buffer, std::size_t Count) override;
    void Write(const void *Buffer, std::size_t Count) override;
    std::uint64_t Size() const override { return FSize; }
    void SetSize(std::uint64_t NewSize) override;
    std::uint64_t Position() const override { return FPosition; }
    void SetPosition(std::uint64_t NewPosition) override { FPosition = NewPosition; }
    std::string_view View() override { return {reinterpret_cast<const char *>(FData), FSize}; }
    // A subclass may read differently from the memory it shows.
    bool ViewIsDirect() const override;

private:
    const std::uint8_t *FData;
    std::size_t FSize;
    std::uint64_t FPosition = 0;
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
    std::string_view View() override { return {reinterpret_cast<const char *>(FMemory), FSize}; }
    // A subclass may read differently from the memory it shows; the fast stream only reserves more.
    bool ViewIsDirect() const override;

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
    // The file mapped into memory (read-only); falls back to a copy when it cannot be mapped.
    std::string_view View() override;
    int Handle() const { return FHandle; }

private:
    void Unmap();

    int FHandle;
    bool FOwnsHandle;
    void *FMap = nullptr;
    std::size_t FMapSize = 0;
};

} // namespace trelvo
