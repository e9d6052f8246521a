#include "tools/sim/ModuleCore.h"

#include <algorithm>

namespace vantrel::sim {

namespace {

constexpr std::uint32_t NoiseSeed = 20240611; // fixed, so that a run with noise can be repeated byte for byte
constexpr int HalfPageBlocks = 3;

std::uint32_t bigEndian32(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           std::uint32_t{bytes[3]};
}

} // namespace

ModuleCore::ModuleCore() : noise_(NoiseSeed) {
    memory_.fill(0xFF);
    tail_.fill(0xFF);
}

ImageBytes ModuleCore::image() const {
    ImageBytes image{};
    std::copy(memory_.begin(), memory_.end(), image.begin());
    std::copy(tail_.begin(), tail_.end(), image.begin() + TransferLength);
    return image;
}

void ModuleCore::setImage(const ImageBytes& image) {
    std::copy_n(image.begin(), TransferLength, memory_.begin());
    std::copy(image.begin() + TransferLength, image.end(), tail_.begin());
}

void ModuleCore::setFaults(const Faults& faults) {
    faults_ = faults;
    restartFaultCounts();
}

void ModuleCore::restartFaultCounts() {
    readsSinceFaults_ = 0;
    writesSinceFaults_ = 0;
    lostSinceFaults_ = 0;
}

std::optional<Reaction> ModuleCore::receive(std::uint8_t byte) {
    ++stats_.bytesReceived;
    const std::optional<Request> request = scanner_.feed(byte);
    if (!request)
        return std::nullopt;
    return react(*request);
}

std::vector<std::uint8_t> ModuleCore::textBytes(int channel, std::string_view text, TextForm form) {
    std::vector<std::uint8_t> out;
    for (const Plaintext& message : textMessages(channel, text, form))
        appendFrame(out, message);
    return out;
}

void ModuleCore::appendFrame(std::vector<std::uint8_t>& out, const Plaintext& plain) {
    if (faults_.noiseBytes > 0) {
        // A stray start byte just before a frame is what trips a receiver that locks onto the first "{".
        out.push_back(FrameStart);
        for (int i = 1; i < faults_.noiseBytes; ++i)
            out.push_back(static_cast<std::uint8_t>(noise_() & 0xFF));
    }
    const SecuredFrame frame = encodeFrame(cipher_, plain);
    out.insert(out.end(), frame.begin(), frame.end());
}

std::optional<Reaction> ModuleCore::react(const Request& request) {
    if (request.kind == Request::Kind::Invalid) {
        ++stats_.refused;
        return Reaction{{}, false, "refused: " + request.problem};
    }
    if (faults_.silentAfter >= 0 && pagesDone() >= faults_.silentAfter) {
        ++stats_.ignored;
        return Reaction{{}, false, "silent: request ignored"};
    }
    const bool hangUpNow = faults_.hangUpAfter >= 0 && pagesDone() >= faults_.hangUpAfter;
    switch (request.kind) {
    case Request::Kind::StatusPoll: {
        ++stats_.statusPolls;
        Reaction r;
        appendFrame(r.bytes, statusMessage(status_));
        return r; // twice a second while the tool watches: too frequent for the log
    }
    case Request::Kind::PageRead:
        if (hangUpNow) {
            Reaction r;
            const PageBytes page = pageOf(memory_, request.page);
            appendFrame(r.bytes, pageHeaderMessage(request.page));
            for (int i = 0; i < HalfPageBlocks; ++i)
                appendFrame(r.bytes, pageBlockMessage(page, i, 0));
            r.hangUp = true;
            r.note = "page read " + std::to_string(request.page) + ": closing the line half-way (fault)";
            return r;
        }
        if (loseAnswer(request.page)) {
            ++stats_.ignored;
            return Reaction{{}, false, "page read " + std::to_string(request.page) + ": answer lost (fault)"};
        }
        return answerPageRead(request.page);
    case Request::Kind::WriteHeader:
        if (hangUpNow)
            return Reaction{{}, true, "page write " + std::to_string(request.page) + ": closing the line (fault)"};
        // A header in the middle of a page starts that page afresh.
        writePage_ = request.page;
        writeNextBlock_ = 0;
        return Reaction{{}, false, "page write " + std::to_string(request.page) + " begins"};
    case Request::Kind::WriteBlock:
        return takeWriteBlock(request);
    case Request::Kind::Invalid:
        break;
    }
    return std::nullopt;
}

bool ModuleCore::loseAnswer(int page) {
    if (!faults_.loseFirstOn.covers(page) || lostSinceFaults_ >= faults_.loseFirst)
        return false;
    ++lostSinceFaults_;
    return true;
}

Reaction ModuleCore::answerPageRead(int pageNumber) {
    ++stats_.pageReads;
    ++readsSinceFaults_;
    Reaction r;
    r.note = "page read " + std::to_string(pageNumber);
    const PageBytes page = pageOf(memory_, pageNumber);
    std::uint32_t checksum = modulePageChecksum(page);
    if (faults_.badChecksum.covers(pageNumber)) {
        ++checksum;
        r.note += ", checksum off by one";
    }
    int announced = pageNumber;
    if (faults_.wrongPage.covers(pageNumber)) {
        announced = pageNumber + 1;
        r.note += ", announced as page " + std::to_string(announced);
    }
    appendFrame(r.bytes, pageHeaderMessage(announced));
    for (int i = 0; i < layout::BlocksPerPage; ++i) {
        if (faults_.dropBlockOn.covers(pageNumber) && i == faults_.dropBlock) {
            r.note += ", block " + std::to_string(i) + " left out";
            continue;
        }
        appendFrame(r.bytes, pageBlockMessage(page, i, checksum));
        if (faults_.repeatBlockOn.covers(pageNumber) && i == faults_.repeatBlock) {
            appendFrame(r.bytes, pageBlockMessage(page, i, checksum));
            r.note += ", block " + std::to_string(i) + " sent twice";
        }
    }
    return r;
}

std::optional<Reaction> ModuleCore::takeWriteBlock(const Request& request) {
    const int index = request.data[0];
    if (writeNextBlock_ < 0) {
        ++stats_.refused;
        return Reaction{{}, false, "refused: write block " + std::to_string(index) + " without a page header"};
    }
    if (index != writeNextBlock_) {
        ++stats_.refused;
        const int expected = writeNextBlock_;
        writeNextBlock_ = -1;
        return Reaction{{},
                        false,
                        "refused: write block " + std::to_string(index) + " where block " + std::to_string(expected) +
                            " was due; page " + std::to_string(writePage_) + " abandoned"};
    }
    const std::uint8_t* data = request.data.data() + 1; // after the block index
    const std::size_t offset = static_cast<std::size_t>(index) * layout::BlockDataSize;
    if (index < layout::BlocksPerPage - 1) {
        std::copy_n(data, layout::BlockDataSize, writeBuffer_.begin() + static_cast<std::ptrdiff_t>(offset));
        ++writeNextBlock_;
        return std::nullopt;
    }

    std::copy_n(data, layout::LastBlockDataSize, writeBuffer_.begin() + static_cast<std::ptrdiff_t>(offset));
    writeNextBlock_ = -1;
    const std::uint32_t sent = bigEndian32(data + layout::LastBlockDataSize);
    const std::uint32_t computed = modulePageChecksum(writeBuffer_);
    const std::string page = "page write " + std::to_string(writePage_);
    if (sent != computed) {
        ++stats_.badChecksums;
        return Reaction{{},
                        false,
                        page + " refused: checksum " + std::to_string(sent) + ", the page sums to " +
                            std::to_string(computed)};
    }
    storePage(memory_, writePage_, writeBuffer_);
    ++stats_.pageWrites;
    ++writesSinceFaults_;
    const bool acknowledge = !faults_.neverAck && (faults_.ackFirst < 0 || writesSinceFaults_ <= faults_.ackFirst) &&
                             !loseAnswer(writePage_);
    Reaction r;
    if (acknowledge) {
        ++stats_.acknowledgements;
        appendFrame(r.bytes, writeAckMessage());
        r.note = page + " stored and acknowledged";
    } else {
        r.note = page + " stored, not acknowledged (fault)";
    }
    return r;
}

} // namespace vantrel::sim
