// The tool's end of the line for the simulator's tests: opens the terminal, sends requests built by hand
// as the tool builds them, and finds and decrypts the module's frames with its own code.
#pragma once

#include "protocol/SecuredFrame.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::test {

using Page = std::array<std::uint8_t, 64>;

// The checksum as the protocol defines it, written out once more on the test's side.
std::uint32_t expectedChecksum(const Page& page);

class ToolSide {
public:
    explicit ToolSide(const std::string& terminalPath); // throws std::runtime_error
    ~ToolSide();
    ToolSide(const ToolSide&) = delete;
    ToolSide& operator=(const ToolSide&) = delete;

    void write(const std::vector<std::uint8_t>& bytes);
    void sendPlain(const Plaintext& plain);
    // A request frame: code, sequence, 00 FF FF 00 FF FF 00, 00 00 00 page 40.
    void sendRequest(std::uint8_t code, int page);
    static Plaintext requestPlain(std::uint8_t code, int page, std::uint8_t sequence = 0);
    // The seven frames of a page write; checksumDelta spoils the checksum on purpose.
    void sendPageWrite(int page, const Page& data, std::uint32_t checksumDelta = 0);
    static std::vector<Plaintext> pageWritePlains(int page, const Page& data, std::uint32_t checksumDelta = 0);
    void sendPoll() { write({'?', '?', '\r'}); }

    // Collects bytes until `count` frames have arrived since the last call, or timeoutMs passes; returns the
    // new frames.
    std::vector<Plaintext> readFrames(std::size_t count, int timeoutMs = 5000);
    // Everything received so far.
    const std::vector<std::uint8_t>& raw() const { return raw_; }
    // True when the module's side went away within timeoutMs.
    bool waitForHangUp(int timeoutMs = 5000);

private:
    bool readOnce(int timeoutMs); // false on time-out or hang-up
    void decodeNew();

    int fd_ = -1;
    std::uint8_t sequence_ = 0;
    std::vector<std::uint8_t> raw_;
    std::size_t scanned_ = 0; // frame ends up to here have been looked at
    std::vector<Plaintext> frames_;
    std::size_t delivered_ = 0;
    bool hungUp_ = false;
};

// Reassembles the 64 data bytes of a page answer (header + six blocks) and returns the checksum it carries.
std::uint32_t assemblePage(const std::vector<Plaintext>& frames, Page& out);

} // namespace vantrel::test
