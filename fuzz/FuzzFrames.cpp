// Past the decryption: fuzzed plaintexts are encrypted into valid frames, with fuzzed noise before each,
// so that every message the module could send reaches the dispatch, the page assembly and the text boxes
// (the tool's own MemoBox widgets, through appendPiece).
//
// Input: records of
//   control   bit 7: the traffic detail window is shown from this frame on (clear: hidden);
//             bit 6: the transfer clears its flags first; bits 0-4: number of noise bytes that follow
//   noise     that many bytes, sent before the frame
//   message   the code byte and the 13 payload bytes (missing bytes at the end of the input are 0x00)
//
// Checked: every frame is accepted on its own end byte whatever noise came before it; after the input the
// text boxes, the status and the page state are what the rules of the module messages give, worked out
// here by a model of those rules that shares no code with the tool.
#include "common/Cp1250.h"
#include "fuzz/FuzzSupport.h"
#include "protocol/ModuleConnection.h"
#include "protocol/ui/MemoBox.h"

#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace {

using namespace vantrel;
using fuzz::require;

constexpr int BoxCount = 5; // Memo3, Memo4, Memo5, MemoDTMF, MemoState

int boxIndex(MemoTarget box) {
    return static_cast<int>(box);
}

// The tool's text boxes, reused from input to input (cleared, tag reset).
struct Boxes {
    std::array<std::unique_ptr<MemoBox>, BoxCount> box;
    Boxes() {
        for (auto& b : box)
            b = std::make_unique<MemoBox>();
    }
    void reset() {
        // A cleared text box keeps the memory of the text it held (Qt's document does not give it back), so
        // the boxes are made afresh now and then; otherwise a long run grows without end.
        if (++resets % 1000 == 0) {
            for (auto& b : box)
                b = std::make_unique<MemoBox>();
            return;
        }
        for (auto& b : box) {
            b->clear();
            b->setTag(0);
        }
    }
    long resets = 0;
};

// Routes as the main window does: a text for a detail box is written only while that window is shown.
class ToolSink : public DispatchSink {
public:
    ToolSink(Boxes& boxes, const bool& detailVisible) : boxes_(boxes), detailVisible_(detailVisible) {}
    void AppendToMemo(MemoTarget box, const QByteArray& text, bool always) override {
        if (!always && !detailVisible_)
            return;
        appendPiece(*boxes_.box[static_cast<std::size_t>(boxIndex(box))], text);
    }
    void StatusMessage(const std::array<std::uint8_t, 4>& status) override { lastStatus = status; }
    std::optional<std::array<std::uint8_t, 4>> lastStatus;

private:
    Boxes& boxes_;
    const bool& detailVisible_;
};

// The rules of the module messages, from their description.
class Model {
public:
    struct Box {
        QStringList lines;
        int tag = 0;
    };
    std::array<Box, BoxCount> boxes;
    std::optional<std::array<std::uint8_t, 4>> lastStatus;
    std::uint8_t pageReceived = 0;
    std::uint8_t writeAcknowledged = 0;
    std::uint16_t pageAddress = 0;
    int blockCounter = 0;
    std::uint32_t pageSum = 0;
    std::array<std::uint8_t, 64> pageBuffer{};

    void dispatch(const Plaintext& p, bool detailVisible) {
        const std::uint8_t whole = p[1];
        if (whole == 0x33)
            return text(p, true, 2, false, detailVisible);
        if (whole == 0x35)
            return text(p, true, 3, false, detailVisible);
        switch (whole & 0x3F) {
        case 0x21:
            return text(p, false, 0, true, detailVisible);
        case 0x31:
            return text(p, true, 0, true, detailVisible);
        case 0x22:
            return text(p, false, 1, true, detailVisible);
        case 0x32:
            return text(p, true, 1, true, detailVisible);
        case 0x23:
            return text(p, false, 2, false, detailVisible);
        case 0x25:
            return text(p, false, 3, false, detailVisible);
        case 0x24:
            lastStatus = std::array<std::uint8_t, 4>{p[11], p[12], p[13], p[14]};
            return;
        case 0x2C:
            pageAddress = static_cast<std::uint16_t>(p[13] * 64);
            blockCounter = 1;
            pageSum = 0;
            return;
        case 0x3C:
            return block(p);
        case 0x1D:
            if (p[14] == 0x40)
                writeAcknowledged = 1;
            return;
        default:
            return;
        }
    }

private:
    void text(const Plaintext& p, bool longForm, int detailBox, bool alsoState, bool detailVisible) {
        QByteArray t;
        for (std::size_t i = longForm ? 2 : 11; i <= 14; ++i)
            if (p[i] != 0)
                t.append(static_cast<char>(p[i]));
        if (t.isEmpty())
            return;
        if (detailVisible)
            append(boxes[static_cast<std::size_t>(detailBox)], t);
        if (alsoState)
            append(boxes[4], t);
    }

    static void append(Box& box, const QByteArray& text) {
        for (const char c : text) {
            if (c == '\r') {
                if (box.tag == 1)
                    box.lines.append(QStringLiteral(" "));
                box.tag = 1;
            } else if (c != '\n') {
                const QString ch = fromCp1250(c);
                if (box.tag == 1 || box.lines.isEmpty())
                    box.lines.append(ch);
                else
                    box.lines.last() += ch;
                box.tag = 0;
            }
        }
    }

    void block(const Plaintext& p) {
        if (p[2] + 1 != blockCounter) {
            blockCounter = 0;
            return;
        }
        const int n = blockCounter;
        const int count = n < 6 ? 12 : 4;
        for (int i = 0; i < count; ++i) {
            const std::uint8_t d = p[static_cast<std::size_t>(3 + i)];
            pageBuffer[static_cast<std::size_t>((n - 1) * 12 + i)] = d;
            pageSum += static_cast<std::uint32_t>((n + i) ^ d);
        }
        if (n < 6) {
            ++blockCounter;
            return;
        }
        const std::uint32_t sent =
            (std::uint32_t{p[7]} << 24) | (std::uint32_t{p[8]} << 16) | (std::uint32_t{p[9]} << 8) | p[10];
        if (sent == pageSum)
            pageReceived = 1;
        blockCounter = 0;
    }
};

// The box's plain text shows a no-break space (Windows-1250 0xA0) as an ordinary one.
QStringList asPlainText(QStringList lines) {
    for (QString& line : lines)
        line.replace(QChar(0x00A0), QLatin1Char(' '));
    return lines;
}

Boxes* boxes = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startOffscreenApplication();
    boxes = new Boxes; // lives as long as the process
    // Text layout loads the fonts once, on first use; that is not something an input should be blamed for.
    for (auto& box : boxes->box) {
        appendPiece(*box, QByteArray("warm-up\r\xE1\xDB"));
        box->lines();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    boxes->reset();
    bool detailVisible = false;
    ModuleConnection link;
    ToolSink sink(*boxes, detailVisible);
    link.setSink(&sink);
    TransferState& state = link.transferState();
    Model model;
    Aes128 cipher;

    auto feed = [&](std::uint8_t b) {
        const bool accepted = link.FeedByte(b);
        if (accepted) // whatever its origin: noise can hold a whole frame too
            model.dispatch(link.receiver().RxPlain(), detailVisible);
        return accepted;
    };

    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t control = data[at++];
        detailVisible = (control & 0x80) != 0;
        if (control & 0x40) {
            state.PageReceived = model.pageReceived = 0;
            state.WriteAcknowledged = model.writeAcknowledged = 0;
        }
        for (int n = control & 0x1F; n > 0 && at < size; --n)
            feed(data[at++]);
        Plaintext plain{};
        plain[0] = PlainStart;
        plain[15] = PlainEnd;
        for (std::size_t i = 1; i < 15 && at < size; ++i)
            plain[i] = data[at++];
        const SecuredFrame frame = encodeFrame(cipher, plain);
        for (std::size_t i = 0; i + 1 < frame.size(); ++i)
            feed(frame[i]);
        require(feed(frame.back()), "a valid frame was not accepted on its end byte");
        require(link.receiver().RxPlain() == plain, "the accepted plaintext is not the frame's");
    }

    for (int i = 0; i < BoxCount; ++i) {
        const MemoBox& box = *boxes->box[static_cast<std::size_t>(i)];
        require(box.lines() == asPlainText(model.boxes[static_cast<std::size_t>(i)].lines),
                "a text box shows other lines");
        require(box.tag() == model.boxes[static_cast<std::size_t>(i)].tag, "a text box has another line tag");
    }
    require(sink.lastStatus == model.lastStatus, "the status monitor got other status bytes");
    require(state.PageReceived == model.pageReceived && state.WriteAcknowledged == model.writeAcknowledged,
            "the transfer flags differ");
    require(state.PageAddress == model.pageAddress && state.BlockCounter == model.blockCounter &&
                state.PageSum == model.pageSum && state.PageBuffer == model.pageBuffer,
            "the page assembly differs");
    return 0;
}
