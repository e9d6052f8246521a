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

// The editor's tabs in the order it shows them. The product variant takes the last three out of the page
// control; their fields still pass through the editor.
enum class EditorTab { Phone, Sms, CallFilter, Output, Bell103, Gprs, Dravo, None };

struct EditorTabInfo {
    EditorTab tab;
    std::string_view caption; // UTF-8, as the tab shows it
    bool hiddenByVariant;
};

inline constexpr auto EditorTabs = std::to_array<EditorTabInfo>({
    {EditorTab::Phone, "Telefonszámok", false},
    {EditorTab::Sms, "SMS szövegek", false},
    {EditorTab::CallFilter, "Híváskorlátozás", false},
    {EditorTab::Output, "Kimenet vezérlés", false},
    {EditorTab::Bell103, "Bell 103", true},
    {EditorTab::Gprs, "GPRS", true},
    {EditorTab::Dravo, "DRAVO", true},
});

constexpr const EditorTabInfo* tabInfo(EditorTab tab) {
    for (const EditorTabInfo& info : EditorTabs)
        if (info.tab == tab)
            return &info;
    return nullptr;
}

struct FieldSpec {
    std::string_view name;
    std::size_t offset;
    FieldKind kind;
    int capacity = 0; // digit cells, event positions or characters; 0 for the other kinds
    int maximum = 0;  // largest value the editor offers for TimerByte and Word16BE
    FlagRule flagRule = FlagRule::None;
    EditorTab tab = EditorTab::None; // the tab that shows it; None for bytes the editor never shows
    std::string_view label = {};     // UTF-8, the installer's name for it (the control's label where it has one)

    constexpr bool shownByEditor() const { return tab != EditorTab::None; }
    // Shown on a tab the installer can reach in this product.
    constexpr bool visibleToInstaller() const { return shownByEditor() && !tabInfo(tab)->hiddenByVariant; }

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
    // Inside the pages a write carries to the module; a field beyond them lives only in the image and in
    // parameter files.
    constexpr bool reachesModule() const { return end() <= TransferLength; }
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
constexpr FieldSpec on(EditorTab tab, std::string_view label, FieldSpec spec) {
    spec.tab = tab;
    spec.label = label;
    return spec;
}
} // namespace layout_detail

// Every field of the image, in address order.
inline constexpr auto ImageLayout = [] {
    using namespace layout_detail;
    return std::to_array<FieldSpec>({
        on(EditorTab::Phone, "Automatikus tárcsázás (#AUTO)", phone("AUTODIAL", 0)),
        on(EditorTab::Phone, "SMS továbbítás 1.  (#SMSFW1)", phone("SMSFW1", 17)),
        on(EditorTab::Phone, "SMS továbbítás 2.  (#SMSFW2)", phone("SMSFW2", 34)),
        on(EditorTab::Phone, "1. Felhasználó  (#USER1)", phone("USER1", 51)),
        on(EditorTab::Phone, "2. Felhasználó  (#USER2)", phone("USER2", 68)),
        on(EditorTab::Phone, "Külső vonal eléréséhez használt prefix szám (#PREFIX)", prefix("NETPREFIX", 85)),
        on(EditorTab::Phone, "GSM módban hívott telefonszám elé hozzáadandó prefix (#ADDFIX)", prefix("ADDFIX", 102)),
        on(EditorTab::CallFilter, "1. Engedélyezett hívószám", phone("PhnrEnabled1", 143)),
        on(EditorTab::CallFilter, "2. Engedélyezett hívószám", phone("PhnrEnabled2", 160)),
        on(EditorTab::CallFilter, "3. Engedélyezett hívószám", phone("PhnrEnabled3", 177)),
        on(EditorTab::CallFilter, "4. Engedélyezett hívószám", phone("PhnrEnabled4", 194)),
        on(EditorTab::CallFilter, "Bejövő beszédhívás korlátozása", flag("CallFilter", 211, FlagRule::NonZero)),
        on(EditorTab::Output, "1. Engedélyezett hívószám", phone("RelPhnrEnabled1", 212)),
        on(EditorTab::Output, "2. Engedélyezett hívószám", phone("RelPhnrEnabled2", 229)),
        on(EditorTab::Output, "3. Engedélyezett hívószám", phone("RelPhnrEnabled3", 246)),
        on(EditorTab::Output, "4. Engedélyezett hívószám", phone("RelPhnrEnabled4", 263)),
        on(EditorTab::Output, "1. Vezérelhető kimenet időzítése", timer("REL1", 280, 255)),
        on(EditorTab::Output, "2. Vezérelhető kimenet időzítése", timer("REL2", 281, 255)),
        on(EditorTab::CallFilter, "Bejövő hívás idejének korlátozása (0-25 perc)", timer("CallMax", 282, 25)),
        on(EditorTab::Sms, "1. eseménykód", event("Event1", 283)),
        on(EditorTab::Sms, "2. eseménykód", event("Event2", 285)),
        on(EditorTab::Sms, "3. eseménykód", event("Event3", 287)),
        on(EditorTab::Sms, "4. eseménykód", event("Event4", 289)),
        on(EditorTab::Sms, "5. eseménykód", event("Event5", 291)),
        on(EditorTab::Sms, "6. eseménykód", event("Event6", 293)),
        on(EditorTab::Sms, "7. eseménykód", event("Event7", 295)),
        on(EditorTab::Sms, "8. eseménykód", event("Event8", 297)),
        on(EditorTab::Sms, "9. eseménykód", event("Event9", 299)),
        on(EditorTab::Sms, "10. eseménykód", event("Event10", 301)),
        on(EditorTab::Sms, "1. SMS", sms("SMS1", 309)),
        on(EditorTab::Sms, "2. SMS", sms("SMS2", 350)),
        on(EditorTab::Sms, "3. SMS", sms("SMS3", 391)),
        on(EditorTab::Sms, "4. SMS", sms("SMS4", 432)),
        on(EditorTab::Sms, "5. SMS", sms("SMS5", 473)),
        on(EditorTab::Sms, "6. SMS", sms("SMS6", 514)),
        on(EditorTab::Sms, "7. SMS", sms("SMS7", 555)),
        on(EditorTab::Sms, "8. SMS", sms("SMS8", 596)),
        on(EditorTab::Sms, "9. SMS", sms("SMS9", 637)),
        on(EditorTab::Sms, "10. SMS", sms("SMS10", 678)),
        on(EditorTab::Sms, "IN1 bemenet", sms("SMS11", 719)),
        on(EditorTab::Sms, "IN2 bemenet", sms("SMS12", 760)),
        on(EditorTab::Sms, "IN3 bemenet", sms("SMS13", 801)),
        on(EditorTab::Bell103, "1. Engedélyezett hívószám", phone("BELLPhnrEnabled1", 842)),
        on(EditorTab::Bell103, "2. Engedélyezett hívószám", phone("BELLPhnrEnabled2", 859)),
        on(EditorTab::Bell103, "Bell 103 beállítások", flag("BELLFlags", 876, FlagRule::BellBits)),
        on(EditorTab::Phone, "Beszédhívó illesztése", flag("VoiceCaller", 877, FlagRule::ExactlyOne)),
        on(EditorTab::Gprs, "APN", text("APN", 878, 37)),
        on(EditorTab::Gprs, "Azonosító", text("UserName", 916, 20)),
        on(EditorTab::Gprs, "Jelszó", text("PWD", 937, 20)),
        on(EditorTab::Gprs, "GPRS mode engedélyezése", flag("GPRSmode", 958, FlagRule::ExactlyOne)),
        on(EditorTab::Dravo, "Sorozatszám", word("PanelID", 960)),
        on(EditorTab::Dravo, "1. IP cím", ipv4("IPAddress1", 962)),
        on(EditorTab::Dravo, "1. IP cím port", word("Port1", 966)),
        zeros("Port1Tail", 968),
        on(EditorTab::Dravo, "2. IP cím", ipv4("IPAddress2", 970)),
        on(EditorTab::Dravo, "2. IP cím port", word("Port2", 974)),
        zeros("Port2Tail", 976),
        on(EditorTab::Dravo, "3. IP cím", ipv4("IPAddress3", 978)),
        on(EditorTab::Dravo, "3. IP cím port", word("Port3", 982)),
        zeros("Port3Tail", 984),
        on(EditorTab::Dravo, "4. IP cím", ipv4("IPAddress4", 986)),
        on(EditorTab::Dravo, "4. IP cím port", word("Port4", 990)),
        zeros("Port4Tail", 992),
        on(EditorTab::Dravo, "Távfelügyelet azonosító", word("ServerID", 1026)),
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

// A run of bytes that no field covers.
struct SpareRange {
    std::size_t offset;
    std::size_t size;
    constexpr std::size_t end() const { return offset + size; }
    constexpr bool operator==(const SpareRange&) const = default;
};

namespace layout_detail {
// Visits the spare runs in address order; returns how many there are. (The visitor is not called "emit":
// Qt defines that word away, and a unit that included Qt's object headers first got no spare runs.)
template <typename Visit>
constexpr std::size_t forEachSpareRange(Visit visit) {
    std::size_t count = 0, at = 0;
    for (const FieldSpec& spec : ImageLayout) {
        if (spec.offset > at)
            visit(count++, SpareRange{at, spec.offset - at});
        at = spec.end();
    }
    if (at < ImageSize)
        visit(count++, SpareRange{at, ImageSize - at});
    return count;
}
struct IgnoreRange {
    constexpr void operator()(std::size_t, SpareRange) const {}
};
template <std::size_t N>
struct StoreRange {
    std::array<SpareRange, N>* ranges;
    constexpr void operator()(std::size_t i, SpareRange r) const { (*ranges)[i] = r; }
};
template <std::size_t N>
constexpr std::array<SpareRange, N> spareRanges() {
    std::array<SpareRange, N> ranges{};
    forEachSpareRange(StoreRange<N>{&ranges});
    return ranges;
}
} // namespace layout_detail

// The spare runs of the whole image, computed from the table, in address order.
inline constexpr std::array<SpareRange, layout_detail::forEachSpareRange(layout_detail::IgnoreRange{})> SpareRanges =
    layout_detail::spareRanges<layout_detail::forEachSpareRange(layout_detail::IgnoreRange{})>();

static_assert(SpareRanges.front().size > 0, "the spare runs are computed when compiling");

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
