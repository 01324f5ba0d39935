#pragma once
// The one owner of an open file descriptor: it is closed when its owner goes,
// whichever way the scope ends, unless handed on with Release. Reading and
// asking after the file go through it, so that the calls on a descriptor
// stay in the platform layer.

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Get() const { return m_fd; }
    // Gives the descriptor up to an owner that closes it itself (a library's handle).
    int Release();
    // Closes the descriptor held, if any, and holds `fd` instead.
    void Reset(int fd = -1);

    // Reads at most `size` bytes, again when a signal interrupts the read: the
    // count read (0 at the end of the file), or -1 with errno set.
    ssize_t Read(void* data, size_t size) const;
    // The file's size and its permission bits; false (errno set) when they
    // cannot be had.
    bool Size(uint64_t& size) const;
    bool Permissions(unsigned& mode) const;

private:
    int m_fd = -1;
};
