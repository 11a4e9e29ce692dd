#include "pipes/Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <typeinfo>
#include <unistd.h>

namespace trelvo {

std::string TStream::Bytes() {
    const std::uint64_t saved = Position();
    std::string out(static_cast<std::size_t>(Size()), '\0');
    SetPosition(0);
    std::size_t done = 0;
    while (done < out.size()) {
        const std::size_t n = Read(out.data() + done, out.size() - done);
        if (n == 0)
            break;
        done += n;
    }
    out.resize(done);
    SetPosition(saved);
    return out;
}

std::string_view TStream::View() {
    FViewCopy = Bytes();
    return FViewCopy;
}

std::size_t TMemoryView::Read(void *Buffer, std::size_t Count) {
    if (FPosition >= FSize)
        return 0;
    const std::size_t n = std::min<std::size_t>(Count, FSize - static_cast<std::size_t>(FPosition));
    std::memcpy(Buffer, FData + FPosition, n);
    FPosition += n;
    return n;
}

void TMemoryView::Write(const void *, std::size_t) {
    throw EStreamError("Stream write error: the stream is read-only");
}

void TMemoryView::SetSize(std::uint64_t) {
    throw EStreamError("Stream size error: the stream is read-only");
}

bool TMemoryView::ViewIsDirect() const {
    return typeid(*this) == typeid(TMemoryView);
}

bool TMemoryStream::ViewIsDirect() const {
    return typeid(*this) == typeid(TMemoryStream) || typeid(*this) == typeid(TFastMemStream);
}

void TStream::CopyFrom(TStream &Source) {
    char buffer[65536];
    for (;;) {
        const std::size_t n = Source.Read(buffer, sizeof buffer);
        if (n == 0)
            break;
        Write(buffer, n);
    }
}

TMemoryStream::TMemoryStream(const void *Data, std::size_t Count) {
    Write(Data, Count);
    FPosition = 0;
}

TMemoryStream::~TMemoryStream() {
    std::free(FMemory);
}

std::size_t TMemoryStream::Read(void *Buffer, std::size_t Count) {
    if (FPosition >= FSize)
        return 0;
    const std::size_t n = std::min(Count, FSize - FPosition);
    std::memcpy(Buffer, FMemory + FPosition, n);
    FPosition += n;
    return n;
}

void TMemoryStream::Write(const void *Buffer, std::size_t Count) {
    if (Count == 0)
        return;
    const std::size_t end = FPosition + Count;
    if (end > FCapacity)
        SetCapacity(end);
    if (FPosition > FSize)
        std::memset(FMemory + FSize, 0, FPosition - FSize);
    std::memcpy(FMemory + FPosition, Buffer, Count);
    FPosition = end;
    if (end > FSize)
        FSize = end;
}

void TMemoryStream::SetSize(std::uint64_t NewSize) {
    const std::size_t size = static_cast<std::size_t>(NewSize);
    SetCapacity(size);
    if (size > FSize)
        std::memset(FMemory + FSize, 0, size - FSize);
    FSize = size;
    if (FPosition > FSize)
        FPosition = FSize;
}

void TMemoryStream::Clear() {
    SetCapacity(0);
    FSize = 0;
    FPosition = 0;
}

std::size_t TMemoryStream::Realloc(std::size_t NewCapacity) {
    if (NewCapacity > 0 && NewCapacity != FSize)
        NewCapacity = (NewCapacity + 8191) & ~static_cast<std::size_t>(8191);
    return NewCapacity;
}

void TMemoryStream::SetCapacity(std::size_t NewCapacity) {
    const std::size_t capacity = Realloc(NewCapacity);
    if (capacity == 0) {
        std::free(FMemory);
        FMemory = nullptr;
    } else if (capacity != FCapacity) {
        void *memory = std::realloc(FMemory, capacity);
        if (!memory)
            throw std::bad_alloc();
        FMemory = static_cast<std::uint8_t *>(memory);
    }
    FCapacity = capacity;
    if (FSize > FCapacity)
        FSize = FCapacity;
}

std::size_t TFastMemStream::Realloc(std::size_t NewCapacity) {
    if (NewCapacity == 0)
        return 0;
    return NewCapacity <= 65535 ? NewCapacity + 65535 : NewCapacity + NewCapacity / 4;
}

THandleStream::THandleStream(int Handle, bool OwnsHandle) : FHandle(Handle), FOwnsHandle(OwnsHandle) {}

THandleStream::~THandleStream() {
    Unmap();
    if (FOwnsHandle && FHandle >= 0)
        close(FHandle);
}

std::size_t THandleStream::Read(void *Buffer, std::size_t Count) {
    for (;;) {
        const ssize_t n = read(FHandle, Buffer, Count);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            return 0;
    }
}

void THandleStream::Unmap() {
    if (FMap)
        munmap(FMap, FMapSize);
    FMap = nullptr;
    FMapSize = 0;
}

std::string_view THandleStream::View() {
    const std::uint64_t size = Size();
    if (size == 0)
        return {};
    if (!FMap || FMapSize != size) {
        Unmap();
        void *p = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_SHARED, FHandle, 0);
        if (p == MAP_FAILED)
            return TStream::View();
        FMap = p;
        FMapSize = static_cast<std::size_t>(size);
    }
    return {static_cast<const char *>(FMap), FMapSize};
}

void THandleStream::Write(const void *Buffer, std::size_t Count) {
    Unmap();
    const auto *p = static_cast<const char *>(Buffer);
    while (Count > 0) {
        const ssize_t n = write(FHandle, p, Count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw EStreamError(std::string("Stream write error: ") + std::strerror(n < 0 ? errno : ENOSPC));
        p += n;
        Count -= static_cast<std::size_t>(n);
    }
}

std::uint64_t THandleStream::Size() const {
    struct stat st {};
    return fstat(FHandle, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

void THandleStream::SetSize(std::uint64_t NewSize) {
    Unmap();
    if (ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0)
        throw EStreamError(std::string("Stream size error: ") + std::strerror(errno));
    if (Position() > NewSize)
        SetPosition(NewSize);
}

std::uint64_t THandleStream::Position() const {
    const off_t pos = lseek(FHandle, 0, SEEK_CUR);
    return pos < 0 ? 0 : static_cast<std::uint64_t>(pos);
}

void THandleStream::SetPosition(std::uint64_t NewPosition) {
    lseek(FHandle, static_cast<off_t>(NewPosition), SEEK_SET);
}

} // namespace trelvo
