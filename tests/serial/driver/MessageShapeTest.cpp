#include "serial/MessageShape.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <span>

using namespace vantrel;

namespace {

std::span<const std::uint8_t> bytes(const QByteArray& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.constData()), static_cast<std::size_t>(text.size())};
}

} // namespace

TEST(MessageShape, WhereTheNextMessageEnds) {
    const MessageShape shape{6, '{', '}'};
    struct Case {
        const char* recent;
        int fresh;
        int missing;   // bytesToMessageEnd
        bool endsHere; // messageEndsWithin the last `fresh`
    };
    const Case cases[] = {
        {"", 0, -1, false},
        {"{", 1, 5, false},
        {"{abc", 4, 2, false},
        {"{abcd}", 6, 0, true},
        {"{abcd}", 0, 0, false},  // ended before the fresh bytes began
        {"xx{abcd}", 1, 0, true}, // noise before the message
        {"{abcd}{a", 3, 4, true}, // the next one has begun behind it
        {"abcd}", 5, -1, false},  // an end without its start is noise
        {"{a{b", 4, 2, false},    // a start inside the body: the earliest possible end counts
        {"zzzzzz", 6, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recent);
        EXPECT_EQ(bytesToMessageEnd(shape, bytes(c.recent)), c.missing);
        EXPECT_EQ(messageEndsWithin(shape, bytes(c.recent), c.fresh), c.endsHere);
    }
    // Without a shape nothing is known and nothing is promised.
    EXPECT_EQ(bytesToMessageEnd(MessageShape{}, bytes("{abcd}")), -1);
    EXPECT_FALSE(messageEndsWithin(MessageShape{}, bytes("{abcd}"), 6));
}
