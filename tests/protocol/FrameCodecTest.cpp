#include "protocol/SecuredFrame.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vantrel;

namespace {

Plaintext plainWith(std::uint8_t code, std::uint8_t fill = 0) {
    Plaintext p{};
    p.fill(fill);
    p[0] = PlainStart;
    p[1] = code;
    p[15] = PlainEnd;
    return p;
}

struct Collector {
    std::vector<Plaintext> frames;
    FrameReceiver receiver{[this](const Plaintext& p) { frames.push_back(p); }};
    void feed(const SecuredFrame& f) {
        for (std::uint8_t b : f)
            receiver.FeedByte(b);
    }
};

// Finds a plaintext whose frame has the given byte somewhere inside its ciphertext.
SecuredFrame frameWithCipherByte(Aes128& aes, std::uint8_t wanted, Plaintext& plainOut) {
    for (int i = 0; i < 100000; ++i) {
        Plaintext p = plainWith(0x21);
        p[2] = static_cast<std::uint8_t>(i);
        p[3] = static_cast<std::uint8_t>(i >> 8);
        p[4] = static_cast<std::uint8_t>(i >> 16);
        const SecuredFrame f = encodeFrame(aes, p);
        for (std::size_t k = 1; k < 17; ++k)
            if (f[k] == wanted) {
                plainOut = p;
                return f;
            }
    }
    throw std::runtime_error("no such frame");
}

} // namespace

TEST(Aes128, Fips197KnownAnswerThroughTheFramePath) {
    // FIPS-197 appendix C.1: key 000102..0f, plaintext 00112233..ff.
    Key128 key{};
    Block16 plain{};
    for (int i = 0; i < 16; ++i) {
        key[i] = static_cast<std::uint8_t>(i);
        plain[i] = static_cast<std::uint8_t>(i * 0x11);
    }
    const Block16 expected{0x69, 0xc4, 0xe0, 0xd8, 0x6a, 0x7b, 0x04, 0x30,
                           0xd8, 0xcd, 0xb7, 0x80, 0x70, 0xb4, 0xc5, 0x5a};
    Aes128 aes;
    aes.setKey(key);
    EXPECT_EQ(aes.encryptBlock(plain), expected);
    EXPECT_EQ(aes.decryptBlock(expected), plain);
}

TEST(FrameCodec, EncodedFrameIsAcceptedFromTheVeryFirstByte) {
    Aes128 aes;
    const Plaintext p = plainWith(0x24, 0x5A);
    const SecuredFrame f = encodeFrame(aes, p);
    EXPECT_EQ(f[0], 0x7B);
    EXPECT_EQ(f[17], 0x7D);
    Collector c;
    for (std::size_t i = 0; i < 17; ++i)
        EXPECT_FALSE(c.receiver.FeedByte(f[i]));
    EXPECT_TRUE(c.receiver.FeedByte(f[17]));
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.frames[0], p);
    EXPECT_EQ(c.receiver.RxPlain(), p);
}

TEST(FrameCodec, FramesAfterNoiseBackToBackAndSplitAreAllAccepted) {
    Aes128 aes;
    Collector c;
    for (int i = 0; i < 37; ++i)
        c.receiver.FeedByte(static_cast<std::uint8_t>(i * 7 + 0x7B)); // noise, including start and end bytes
    c.feed(encodeFrame(aes, plainWith(0x31)));
    c.feed(encodeFrame(aes, plainWith(0x32)));
    ASSERT_EQ(c.frames.size(), 2u);
    EXPECT_EQ(c.frames[0][1], 0x31);
    EXPECT_EQ(c.frames[1][1], 0x32);
    // The feeding itself is byte by byte, so a split over notifications is the same path: interleave a
    // pause of other work (none) between halves and check the window keeps its state.
    const SecuredFrame f = encodeFrame(aes, plainWith(0x3C));
    for (std::size_t i = 0; i < 9; ++i)
        c.receiver.FeedByte(f[i]);
    EXPECT_EQ(c.frames.size(), 2u);
    for (std::size_t i = 9; i < 18; ++i)
        c.receiver.FeedByte(f[i]);
    ASSERT_EQ(c.frames.size(), 3u);
    EXPECT_EQ(c.frames[2][1], 0x3C);
}

TEST(FrameCodec, CiphertextHoldingStartOrEndBytesIsAccepted) {
    Aes128 aes;
    for (std::uint8_t wanted : {FrameStart, FrameEnd}) {
        Plaintext p{};
        const SecuredFrame f = frameWithCipherByte(aes, wanted, p);
        Collector c;
        c.feed(f);
        ASSERT_EQ(c.frames.size(), 1u);
        EXPECT_EQ(c.frames[0], p);
    }
}

TEST(FrameCodec, WrongMarkersAreDroppedAndLeaveRxPlain) {
    Aes128 aes;
    Collector c;
    const Plaintext good = plainWith(0x21, 0x11);
    c.feed(encodeFrame(aes, good));
    Plaintext noOpen = plainWith(0x21);
    noOpen[0] = 0x5C;
    Plaintext noClose = plainWith(0x21);
    noClose[15] = 0x5E;
    c.feed(encodeFrame(aes, noOpen));
    c.feed(encodeFrame(aes, noClose));
    EXPECT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.receiver.RxPlain(), good);
}

TEST(FrameCodec, AnyCodeByteIsPassedOn) {
    Aes128 aes;
    Collector c;
    for (int code : {0x00, 0x3F, 0xFF})
        c.feed(encodeFrame(aes, plainWith(static_cast<std::uint8_t>(code))));
    ASSERT_EQ(c.frames.size(), 3u);
    EXPECT_EQ(c.frames[2][1], 0xFF);
}

TEST(FrameCodec, ALostByteCostsOnlyItsFrame) {
    Aes128 aes;
    Collector c;
    SecuredFrame damaged = encodeFrame(aes, plainWith(0x21));
    for (std::size_t i = 0; i < 18; ++i)
        if (i != 5)
            c.receiver.FeedByte(damaged[i]);
    c.feed(encodeFrame(aes, plainWith(0x22)));
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.frames[0][1], 0x22);
}
