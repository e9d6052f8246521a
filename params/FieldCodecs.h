// The encode and decode rules of every field kind of the parameter image, as functions over the field's
// own bytes. Decoding produces what the editor shows (cells, text bytes, numbers); encoding writes the
// canonical form back, so that any byte pattern, however odd, comes back clean after one store.
#pragma once

#include "params/ImageLayout.h"

#include <QByteArray>
#include <QStringList>
#include <array>
#include <cstdint>
#include <span>
#include <variant>

namespace vantrel {

using FieldBytes = std::span<std::uint8_t>;
using ConstFieldBytes = std::span<const std::uint8_t>;
using Octets = std::array<std::uint8_t, 4>;

// The module has no capital U with double acute; the nearest letter it has stands in for it.
std::uint8_t ToModuleChar(std::uint8_t byte);
std::uint8_t FromModuleChar(std::uint8_t byte);

// Digit rows: cells in, cells out. A cell counts when its first character is a digit; the digits are
// stored one after another, so gaps between filled cells disappear.
void encodePhoneNumber(FieldBytes field, const QStringList& cells);
QStringList decodePhoneNumber(ConstFieldBytes field);
void encodePrefix(FieldBytes field, const QStringList& cells);
QStringList decodePrefix(ConstFieldBytes field);

// Event codes: four cells of "0"-"9" or "*"; anything short of four positions is stored as no code.
// Decoding gives four cells, a single space where a position is blank.
void encodeEventCode(FieldBytes field, const QStringList& cells);
QStringList decodeEventCode(ConstFieldBytes field);

// SMS texts as Windows-1250 bytes. Stored through ToModuleChar, cut at 40; read back without trailing
// spaces and without the bytes 00 and FF.
void encodeSmsText(FieldBytes field, const QByteArray& text);
QByteArray decodeSmsText(ConstFieldBytes field);

// Counted texts (APN, user name, password): spaces and double quotes are dropped, the rest cut to the
// field's capacity (its size minus the count byte).
void encodeCountedText(FieldBytes field, const QByteArray& text);
QByteArray decodeCountedText(ConstFieldBytes field);

// Flag bytes: the editor's value (0/1, or bits 0 and 1 for the Bell 103 byte) to the byte and back.
std::uint8_t encodeFlag(FlagRule rule, int value);
int decodeFlag(FlagRule rule, std::uint8_t byte);

// A timer byte from a spin box value; values outside 0..255 go to the nearest limit, never wrap.
std::uint8_t encodeTimer(int value);

// 16-bit values, high byte first; values outside 0..65535 go to the nearest limit.
void encodeWord16BE(FieldBytes field, int value);
int decodeWord16BE(ConstFieldBytes field);

void encodeIPv4(FieldBytes field, const Octets& octets);
Octets decodeIPv4(ConstFieldBytes field);

// One receiver as the module's layout keeps it: address, port, then 00 00 (eight bytes).
void encodeReceiver(FieldBytes field, const Octets& octets, int port);

// Any field by its table entry. The value's alternative follows the kind: cells for digit rows and event
// codes, Windows-1250 bytes for texts, int for flags, timers and 16-bit values, Octets for addresses,
// nothing for the zero pairs.
using FieldValue = std::variant<std::monostate, QStringList, QByteArray, int, Octets>;

FieldBytes fieldBytes(ImageBytes& image, const FieldSpec& spec);
ConstFieldBytes fieldBytes(const ImageBytes& image, const FieldSpec& spec);

FieldValue decodeField(const ImageBytes& image, const FieldSpec& spec);
// Throws std::invalid_argument when the value's alternative does not belong to the field's kind.
void encodeField(ImageBytes& image, const FieldSpec& spec, const FieldValue& value);

// The field as the editor shows it, as one line: digits ("3620123"), event codes ("12*4", empty for no
// code), texts, "Igen"/"Nem", numbers, "a.b.c.d"; the Bell 103 byte shows both of its switches.
QString displayValue(const ImageBytes& image, const FieldSpec& spec);

} // namespace vantrel
