// The layout of the parameter image as one table: every named field with its offset, kind, capacity and
// the range the editor offers. Codecs, the editor and the tests all read offsets from here; a byte that no
// entry covers is spare and is never written.
#pragma once

#include "params/ParameterImage.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace vantrel {

enum class FieldKind {
    PhoneNumberField, // count (1..16, FF when empty) + 16 ASCII digit slots
    PrefixField,      // count (0..8) + 8 ASCII digit slots
    EventCodeField,   // four 4-bit positions, 0..9 or 10 for "*"; FF FF = no code
    SmsTextField,     // count (0..40) + 40 characters padded with spaces
    CountedText,      // count (0..m) + m characters padded with spaces
    FlagByte,         // meaning per FlagRule
    TimerByte,        // unsigned count 0..255
    Word16BE,         // unsigned 16 bits, high byte first
    IPv4Address,      // four octets, first octet at the lowest offset
    ZeroPair,         // the two bytes after each receiver port, always written 00 00
};

// How a flag byte maps to what the editor shows: the value the editor works with is 0/1, or the two bits
// of the Bell 103 byte.
enum class FlagRule {
    None,       // not a flag
    NonZero,    // any non-zero byte reads as 1 (CallFilter)
    ExactlyOne, // only the byte 1 reads as 1 (GPRSmode, VoiceCaller)
    BellBits,   // bit 0 and bit 1 read as they are, other bits dropped (BELLFlags)
};

struct FieldSpec {
    std::string_view name;
    std::size_t offset;
    FieldKind kind;
    int capacity = 0; // digit cells, event positions or characters; 0 for the other kinds
    int maximum = 0;  // largest value the editor offers for TimerByte and Word16BE
    FlagRule flagRule = FlagRule::None;

    constexpr std::size_t size() const {
        switch (kind) {
        case FieldKind::PhoneNumberField:
        case FieldKind::PrefixField:
        case FieldKind::SmsTextField:
        case FieldKind::CountedText:
            return static_cast<std::size_t>(capacity) + 1;
        case FieldKind::EventCodeField:
        case FieldKind::Word16BE:
        case FieldKind::ZeroPair:
            return 2;
        case FieldKind::FlagByte:
        case FieldKind::TimerByte:
            return 1;
        case FieldKind::IPv4Address:
            return 4;
        }
        return 0;
    }
    constexpr std::size_t end() const { return offset + size(); }
};

namespace layout_detail {
constexpr FieldSpec phone(std::string_view name, std::size_t offset) {
    return {name, offset, FieldKind::PhoneNumberField, 16};
}
constexpr FieldSpec prefix(std::string_view name, std::size_t offset) {
    return {name, offset, FieldKind::PrefixField, 8};
}
constexpr FieldSpec event(std::string_view name, std::size_t offset) {
    return {name, offset, FieldKind::EventCodeField, 4};
}
constexpr FieldSpec sms(std::string_view name, std::size_t offset) {
    return {name, offset, FieldKind::SmsTextField, 40};
}
constexpr FieldSpec text(std::string_view name, std::size_t offset, int capacity) {
    return {name, offset, FieldKind::CountedText, capacity};
}
constexpr FieldSpec flag(std::string_view name, std::size_t offset, FlagRule rule) {
    return {name, offset, FieldKind::FlagByte, 0, 0, rule};
}
constexpr FieldSpec timer(std::string_view name, std::size_t offset, int maximum) {
    return {name, offset, FieldKind::TimerByte, 0, maximum};
}
constexpr FieldSpec word(std::string_view name, std::size_t offset) {
    return {name, offset, FieldKind::Word16BE, 0, 32767};
}
constexpr FieldSpec ipv4(std::string_view name, std::size_t offset) {
    return {name, offset, FieldKind::IPv4Address};
}
constexpr FieldSpec zeros(std::string_view name, std::size_t offset) {
    return {name, offset, FieldKind::ZeroPair};
}
} // namespace layout_detail

// Every field of the image, in address order.
inline constexpr auto ImageLayout = [] {
    using namespace layout_detail;
    return std::to_array<FieldSpec>({
        phone("AUTODIAL", 0),
        phone("SMSFW1", 17),
        phone("SMSFW2", 34),
        phone("USER1", 51),
        phone("USER2", 68),
        prefix("NETPREFIX", 85),
        prefix("ADDFIX", 102),
        phone("PhnrEnabled1", 143),
        phone("PhnrEnabled2", 160),
        phone("PhnrEnabled3", 177),
        phone("PhnrEnabled4", 194),
        flag("CallFilter", 211, FlagRule::NonZero),
        phone("RelPhnrEnabled1", 212),
        phone("RelPhnrEnabled2", 229),
        phone("RelPhnrEnabled3", 246),
        phone("RelPhnrEnabled4", 263),
        timer("REL1", 280, 255),
        timer("REL2", 281, 255),
        timer("CallMax", 282, 25),
        event("Event1", 283),
        event("Event2", 285),
        event("Event3", 287),
        event("Event4", 289),
        event("Event5", 291),
        event("Event6", 293),
        event("Event7", 295),
        event("Event8", 297),
        event("Event9", 299),
        event("Event10", 301),
        sms("SMS1", 309),
        sms("SMS2", 350),
        sms("SMS3", 391),
        sms("SMS4", 432),
        sms("SMS5", 473),
        sms("SMS6", 514),
        sms("SMS7", 555),
        sms("SMS8", 596),
        sms("SMS9", 637),
        sms("SMS10", 678),
        sms("SMS11", 719),
        sms("SMS12", 760),
        sms("SMS13", 801),
        phone("BELLPhnrEnabled1", 842),
        phone("BELLPhnrEnabled2", 859),
        flag("BELLFlags", 876, FlagRule::BellBits),
        flag("VoiceCaller", 877, FlagRule::ExactlyOne),
        text("APN", 878, 37),
        text("UserName", 916, 20),
        text("PWD", 937, 20),
        flag("GPRSmode", 958, FlagRule::ExactlyOne),
        word("PanelID", 960),
        ipv4("IPAddress1", 962),
        word("Port1", 966),
        zeros("Port1Tail", 968),
        ipv4("IPAddress2", 970),
        word("Port2", 974),
        zeros("Port2Tail", 976),
        ipv4("IPAddress3", 978),
        word("Port3", 982),
        zeros("Port3Tail", 984),
        ipv4("IPAddress4", 986),
        word("Port4", 990),
        zeros("Port4Tail", 992),
        word("ServerID", 1026),
    });
}();

// The order in which the editor fills its controls from the image (and visits them when storing): SMS
// texts, the phone tab's rows, event codes, receivers, identifiers, GPRS texts, allowed numbers, timers,
// then the flags with the rows they govern.
// clang-format off
inline constexpr auto EditorFieldOrder = std::to_array<std::string_view>({
    "SMS1", "SMS2", "SMS3", "SMS4", "SMS5", "SMS6", "SMS7", "SMS8", "SMS9", "SMS10", "SMS11", "SMS12", "SMS13",
    "USER1", "USER2", "SMSFW1", "SMSFW2", "NETPREFIX", "ADDFIX", "AUTODIAL",
    "Event1", "Event2", "Event3", "Event4", "Event5", "Event6", "Event7", "Event8", "Event9", "Event10",
    "IPAddress1", "Port1", "Port1Tail", "IPAddress2", "Port2", "Port2Tail",
    "IPAddress3", "Port3", "Port3Tail", "IPAddress4", "Port4", "Port4Tail",
    "PanelID", "ServerID",
    "APN", "UserName", "PWD",
    "PhnrEnabled1", "PhnrEnabled2", "PhnrEnabled3", "PhnrEnabled4",
    "RelPhnrEnabled1", "RelPhnrEnabled2", "RelPhnrEnabled3", "RelPhnrEnabled4",
    "REL1", "REL2", "CallMax",
    "CallFilter", "GPRSmode",
    "BELLPhnrEnabled1", "BELLPhnrEnabled2", "BELLFlags",
    "VoiceCaller",
});
// clang-format on

// The index of a field in ImageLayout, or ImageLayout.size() when there is none.
constexpr std::size_t fieldIndex(std::string_view name) {
    for (std::size_t i = 0; i < ImageLayout.size(); ++i)
        if (ImageLayout[i].name == name)
            return i;
    return ImageLayout.size();
}

// The entry of a field by name; nullptr when there is none.
constexpr const FieldSpec* findField(std::string_view name) {
    const std::size_t index = fieldIndex(name);
    return index < ImageLayout.size() ? &ImageLayout[index] : nullptr;
}

// The entry of a field whose name is known when compiling: a misspelt name does not compile. (Found by
// index: comparing addresses inside constant evaluation trips the sanitizer build's compiler.)
consteval const FieldSpec& layoutField(std::string_view name) {
    const std::size_t index = fieldIndex(name);
    if (index == ImageLayout.size())
        throw "no field of that name in ImageLayout";
    return ImageLayout[index];
}

// True for the bytes that some field covers; the others are spare.
constexpr bool isFieldByte(std::size_t offset) {
    for (const FieldSpec& spec : ImageLayout)
        if (offset >= spec.offset && offset < spec.end())
            return true;
    return false;
}

namespace layout_detail {
constexpr bool fieldsAreOrderedAndDisjoint() {
    for (std::size_t i = 1; i < ImageLayout.size(); ++i)
        if (ImageLayout[i - 1].end() > ImageLayout[i].offset)
            return false;
    return ImageLayout.back().end() <= ImageSize;
}
constexpr bool editorOrderIsAPermutation() {
    if (EditorFieldOrder.size() != ImageLayout.size())
        return false;
    for (const FieldSpec& spec : ImageLayout) {
        int seen = 0;
        for (std::string_view name : EditorFieldOrder)
            seen += name == spec.name ? 1 : 0;
        if (seen != 1)
            return false;
    }
    return true;
}
} // namespace layout_detail

static_assert(layout_detail::fieldsAreOrderedAndDisjoint(), "image fields overlap or leave the image");
static_assert(layout_detail::editorOrderIsAPermutation(), "the editor must visit every field exactly once");

} // namespace vantrel
