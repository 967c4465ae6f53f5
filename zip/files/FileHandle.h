// An open file descriptor that closes itself.
#pragma once

#include <unistd.h>

#include <utility>

class TFileHandle {
public:
    TFileHandle() = default;
    explicit TFileHandle(int fd) : fd_(fd) {}
    TFileHandle(TFileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    TFileHandle& operator=(TFileHandle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    ~TFileHandle() { Reset(); }

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Hands the descriptor to a new owner.
    int Release() { return std::exchange(fd_, -1); }
    void Reset()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};
