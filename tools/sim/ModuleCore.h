// The module's behaviour without the line: what it makes of each received byte (page reads, page writes,
// status polls), its memory and status, and the faults that make it misbehave on purpose. Not
// thread-safe; ModuleSimulator guards it.
#pragma once

#include "tools/sim/ModuleMessages.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace vantrel::sim {

// A fault that can be limited to one page: off, on for every page, or on for page `page` only.
struct PageScope {
    bool enabled = false;
    int page = -1; // -1: every page
    bool covers(int p) const { return enabled && (page < 0 || page == p); }
    bool operator==(const PageScope&) const = default;
};

// Deliberate misbehaviour. Page counts ("after k pages") count the pages answered to reads plus the pages
// stored by writes since the faults were last set.
struct Faults {
    int dropBlock = 0;     // block index left out of page answers ...
    PageScope dropBlockOn; // ... on these pages
    int repeatBlock = 0;   // block index sent twice in page answers ...
    PageScope repeatBlockOn;
    PageScope badChecksum; // checksum in the last block one too high
    PageScope wrongPage;   // header announces the next page number
    int silentAfter = -1;  // answer nothing once this many pages are done; -1 off
    bool neverAck = false; // correct pages are stored but never acknowledged
    int ackFirst = -1;     // acknowledge only this many stored pages; -1 off
    int noiseBytes = 0;    // bytes sent before every frame, the first a stray "{"
    int hangUpAfter = -1;  // close the line in the middle of the page after this many; -1 off
    int loseFirst = 0;     // leave this many page answers and write acknowledgements out ...
    PageScope loseFirstOn; // ... on these pages (a line that drops a frame now and then)
    bool operator==(const Faults&) const = default;
};

struct Stats {
    int pageReads = 0;        // read requests answered
    int pageWrites = 0;       // pages stored by writes
    int acknowledgements = 0; // write acknowledgements sent
    int statusPolls = 0;      // polls answered
    int badChecksums = 0;     // written pages refused for their checksum
    int refused = 0;          // frames with the markers that were no valid request, or out of order
    int ignored = 0;          // requests left unanswered because the module is silent
    std::uint64_t bytesReceived = 0;
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesDropped = 0; // answers lost because nobody had the line open
};

// What the module does about one request: bytes to send (frames with any noise before them), whether to
// close the line after them, and a line for the log.
struct Reaction {
    std::vector<std::uint8_t> bytes;
    bool hangUp = false;
    std::string note;
};

class ModuleCore {
public:
    ModuleCore();

    // One byte from the line; a reaction when the byte completed a request (or refused frame).
    std::optional<Reaction> receive(std::uint8_t byte);

    // The frames of a text on channel 1..4 (noise included). Throws SimError for a bad channel.
    std::vector<std::uint8_t> textBytes(int channel, std::string_view text, TextForm form);

    const MemoryBytes& memory() const { return memory_; }
    void setMemory(const MemoryBytes& memory) { memory_ = memory; }
    // The image bytes beyond the module's memory, kept only to save a parameter file whole.
    ImageBytes image() const;
    void setImage(const ImageBytes& image);

    const ModuleStatus& status() const { return status_; }
    void setStatus(const ModuleStatus& status) { status_ = status; }

    const Faults& faults() const { return faults_; }
    // Also restarts the page counts the faults refer to.
    void setFaults(const Faults& faults);
    void restartFaultCounts();

    Stats& stats() { return stats_; }
    const Stats& stats() const { return stats_; }

private:
    std::optional<Reaction> react(const Request& request);
    Reaction answerPageRead(int page);
    // Whether the loseFirst fault swallows this answer (and counts it).
    bool loseAnswer(int page);
    std::optional<Reaction> takeWriteBlock(const Request& request);
    void appendFrame(std::vector<std::uint8_t>& out, const Plaintext& plain);
    int pagesDone() const { return readsSinceFaults_ + writesSinceFaults_; }

    RequestScanner scanner_;
    Aes128 cipher_;
    std::minstd_rand noise_;
    MemoryBytes memory_;
    std::array<std::uint8_t, ImageSize - TransferLength> tail_;
    ModuleStatus status_;
    Faults faults_;
    Stats stats_;

    int readsSinceFaults_ = 0;
    int writesSinceFaults_ = 0;
    int lostSinceFaults_ = 0; // answers left out by the loseFirst fault
    // The page write in progress: its page number, the next block index expected (-1: none) and the
    // bytes so far.
    int writePage_ = -1;
    int writeNextBlock_ = -1;
    PageBytes writeBuffer_{};
};

} // namespace vantrel::sim
