#include "tests/sim/ToolSide.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace vantrel::test {

std::uint32_t expectedChecksum(const Page& page) {
    std::uint32_t sum = 0;
    for (int block = 1; block <= 6; ++block)
        for (int i = 0; i < (block < 6 ? 12 : 4); ++i) {
            const std::uint8_t d = page[static_cast<std::size_t>((block - 1) * 12 + i)];
            sum += static_cast<std::uint32_t>((block + i) ^ d);
        }
    return sum;
}

ToolSide::ToolSide(const std::string& terminalPath) {
    fd_ = ::open(terminalPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        throw std::runtime_error("cannot open " + terminalPath);
    termios tio{};
    if (::tcgetattr(fd_, &tio) == 0) {
        cfmakeraw(&tio);
        ::tcsetattr(fd_, TCSANOW, &tio);
    }
}

ToolSide::~ToolSide() {
    if (fd_ >= 0)
        ::close(fd_);
}

void ToolSide::write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        throw std::runtime_error("terminal write failed");
    }
}

void ToolSide::sendPlain(const Plaintext& plain) {
    Aes128 aes;
    const SecuredFrame frame = encodeFrame(aes, plain);
    write(std::vector<std::uint8_t>(frame.begin(), frame.end()));
}

Plaintext ToolSide::requestPlain(std::uint8_t code, int page, std::uint8_t sequence) {
    return Plaintext{'[',  code, sequence, 0x00, 0xFF, 0xFF, 0x00,
                     0xFF, 0xFF, 0x00,     0x00, 0x00, 0x00, static_cast<std::uint8_t>(page),
                     0x40, ']'};
}

void ToolSide::sendRequest(std::uint8_t code, int page) {
    sendPlain(requestPlain(code, page, sequence_++));
}

std::vector<Plaintext> ToolSide::pageWritePlains(int page, const Page& data, std::uint32_t checksumDelta) {
    std::vector<Plaintext> plains{requestPlain(0x2D, page)};
    Plaintext block{};
    block[0] = '[';
    block[1] = 0x3D;
    block[15] = ']';
    for (int b = 0; b < 5; ++b) {
        block[2] = static_cast<std::uint8_t>(b);
        for (int j = 0; j < 12; ++j)
            block[static_cast<std::size_t>(3 + j)] = data[static_cast<std::size_t>(12 * b + j)];
        plains.push_back(block);
    }
    // The last block keeps d[59] in its byte 14, as the tool leaves it there.
    const std::uint32_t sum = expectedChecksum(data) + checksumDelta;
    block[2] = 5;
    for (int j = 0; j < 4; ++j)
        block[static_cast<std::size_t>(3 + j)] = data[static_cast<std::size_t>(60 + j)];
    for (int j = 0; j < 4; ++j)
        block[static_cast<std::size_t>(7 + j)] = static_cast<std::uint8_t>(sum >> (24 - 8 * j));
    block[11] = block[12] = block[13] = 0;
    plains.push_back(block);
    return plains;
}

void ToolSide::sendPageWrite(int page, const Page& data, std::uint32_t checksumDelta) {
    std::vector<Plaintext> plains = pageWritePlains(page, data, checksumDelta);
    plains[0][2] = sequence_++;
    // One write for the seven frames: they go out back to back, and a module that hangs up at the header
    // cannot fail the rest of the write half-way.
    std::vector<std::uint8_t> bytes;
    Aes128 aes;
    for (const Plaintext& p : plains) {
        const SecuredFrame frame = encodeFrame(aes, p);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    write(bytes);
}

bool ToolSide::readOnce(int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return false;
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) {
        raw_.insert(raw_.end(), buffer, buffer + n);
        decodeNew();
        return true;
    }
    if (n < 0 && errno == EAGAIN)
        return true;
    hungUp_ = true;
    return false;
}

void ToolSide::decodeNew() {
    // A frame is an end byte with the start byte 17 places before it and both markers inside.
    Aes128 aes;
    aes.setKey(ModuleKey);
    for (std::size_t end = std::max<std::size_t>(scanned_, 17); end < raw_.size(); ++end) {
        if (raw_[end] != 0x7D || raw_[end - 17] != 0x7B)
            continue;
        Block16 cipher{};
        std::copy(raw_.begin() + static_cast<std::ptrdiff_t>(end - 16), raw_.begin() + static_cast<std::ptrdiff_t>(end),
                  cipher.begin());
        const Block16 plain = aes.decryptBlock(cipher);
        if (plain[0] == '[' && plain[15] == ']')
            frames_.push_back(plain);
    }
    scanned_ = raw_.size();
}

std::vector<Plaintext> ToolSide::readFrames(std::size_t count, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (frames_.size() - delivered_ < count && !hungUp_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0 || !readOnce(static_cast<int>(left)))
            break;
    }
    const std::size_t take = std::min(count, frames_.size() - delivered_);
    std::vector<Plaintext> out(frames_.begin() + static_cast<std::ptrdiff_t>(delivered_),
                               frames_.begin() + static_cast<std::ptrdiff_t>(delivered_ + take));
    delivered_ += take;
    return out;
}

bool ToolSide::waitForHangUp(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!hungUp_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) > 0 && (p.revents & (POLLHUP | POLLERR)) != 0 &&
            (p.revents & POLLIN) == 0)
            hungUp_ = true;
        else
            readOnce(0);
    }
    return true;
}

std::uint32_t assemblePage(const std::vector<Plaintext>& frames, Page& out) {
    std::uint32_t checksum = 0;
    for (std::size_t f = 1; f < frames.size(); ++f) {
        const Plaintext& block = frames[f];
        const int index = block[2];
        const int size = index < 5 ? 12 : 4;
        for (int i = 0; i < size; ++i)
            out[static_cast<std::size_t>(index * 12 + i)] = block[static_cast<std::size_t>(3 + i)];
        if (index == 5)
            checksum = (std::uint32_t{block[7]} << 24) | (std::uint32_t{block[8]} << 16) |
                       (std::uint32_t{block[9]} << 8) | block[10];
    }
    return checksum;
}

} // namespace vantrel::test
