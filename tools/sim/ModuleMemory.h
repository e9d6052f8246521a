// The module's parameter memory as the simulator holds it (15 pages of 64 bytes), the checksum the module
// puts on every page, and the parameter files the memory is loaded from and saved to.
#pragma once

#include "params/ParameterImage.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vantrel::sim {

using PageBytes = std::array<std::uint8_t, PageSize>;
using MemoryBytes = std::array<std::uint8_t, TransferLength>;

// Every failure of the simulator that ends a command or the program: the text is for the person at the
// console, in English.
class SimError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The module's page checksum: the sum over k of ((k div 12) + 1 + (k mod 12)) XOR d[k], modulo 2^32.
std::uint32_t modulePageChecksum(const PageBytes& page);

// Page p of the memory (p from 0 to 14).
PageBytes pageOf(const MemoryBytes& memory, int page);
void storePage(MemoryBytes& memory, int page, const PageBytes& bytes);

// A parameter file is the tool's whole 1088-byte image; a file longer than that is read up to byte 1088,
// as the tool reads it. Throws SimError naming the file and the cause.
ImageBytes readParameterFile(const std::string& path);
// Writes the 1088 bytes, replacing the file. Throws SimError.
void writeParameterFile(const std::string& path, const ImageBytes& image);

// The system's text for an errno value, for the simulator's own messages.
std::string systemText(int err);

} // namespace vantrel::sim
