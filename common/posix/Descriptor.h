// File descriptors for the Linux backends: closed on every way out, and given to the home's owner when
// root makes a file in another user's home.
#pragma once

#include <QString>

namespace vantrel {

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release();
    // Closes now, so that a failing close can be reported; returns what close() returned.
    int close();

private:
    int fd_;
};

// Gives a file root has just made inside another user's home (fd open on it) to that user; nothing
// otherwise. The tool's own files must stay writable by the user whose home they are in.
void handOverToHomeOwner(int fd, const QString& path);

} // namespace vantrel
