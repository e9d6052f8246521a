#include "tools/sim/SimCommands.h"

#include "common/Cp1250.h"
#include "tools/sim/SimOptions.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <vector>

namespace vantrel::sim {

namespace {

constexpr std::string_view Blanks = " \t";
constexpr int HexDumpColumns = 16;

// Splits off the next word; `rest` keeps what follows, without the blanks before it.
std::string_view nextWord(std::string_view& rest) {
    const std::size_t start = rest.find_first_not_of(Blanks);
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const std::size_t end = std::min(rest.find_first_of(Blanks), rest.size());
    const std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    const std::size_t next = rest.find_first_not_of(Blanks);
    rest.remove_prefix(next == std::string_view::npos ? rest.size() : next);
    return word;
}

std::vector<std::string> words(std::string_view rest) {
    std::vector<std::string> out;
    for (std::string_view w = nextWord(rest); !w.empty(); w = nextWord(rest))
        out.emplace_back(w);
    return out;
}

std::string toCodePage(const std::string& utf8) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    if (!hasCp1250Code(text))
        throw OptionError("the message holds characters that Windows-1250 has no code for");
    const QByteArray bytes = toCp1250(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string describeStatus(const ModuleStatus& s) {
    char text[96];
    std::snprintf(text, sizeof text, "status inputs=0x%02X signal=%d call=%d spare=%d", s.inputs, s.signal, s.call,
                  s.spare);
    return text;
}

std::string describeStats(const Stats& s) {
    return "page reads " + std::to_string(s.pageReads) + ", pages written " + std::to_string(s.pageWrites) +
           ", acknowledgements " + std::to_string(s.acknowledgements) + ", status polls " +
           std::to_string(s.statusPolls) + ", bad checksums " + std::to_string(s.badChecksums) + ", refused " +
           std::to_string(s.refused) + ", ignored " + std::to_string(s.ignored) + "; bytes received " +
           std::to_string(s.bytesReceived) + ", sent " + std::to_string(s.bytesSent) + ", dropped " +
           std::to_string(s.bytesDropped);
}

std::string hexDump(const PageBytes& page, int pageNumber) {
    std::string out;
    for (std::size_t row = 0; row < page.size(); row += HexDumpColumns) {
        char line[32];
        std::snprintf(line, sizeof line, "%03zX:", static_cast<std::size_t>(pageNumber) * PageSize + row);
        out += line;
        for (std::size_t i = row; i < row + HexDumpColumns; ++i) {
            std::snprintf(line, sizeof line, " %02X", page[i]);
            out += line;
        }
        if (row + HexDumpColumns < page.size())
            out += '\n';
    }
    return out;
}

ModuleStatus parseStatus(const std::vector<std::string>& assignments, ModuleStatus status) {
    for (const std::string& item : assignments) {
        const std::size_t equals = item.find('=');
        const std::string key = item.substr(0, equals);
        if (equals == std::string::npos)
            throw OptionError("status expects name=value, not '" + item + "'");
        const auto value = static_cast<std::uint8_t>(parseNumber(item.substr(equals + 1), 0, 255, key));
        if (key == "inputs")
            status.inputs = value;
        else if (key == "signal")
            status.signal = value;
        else if (key == "call")
            status.call = value;
        else if (key == "spare")
            status.spare = value;
        else
            throw OptionError("status has no value '" + key + "'; it has inputs, signal, call and spare");
    }
    return status;
}

// "drop-block 2@5 noise=3" -> "--drop-block 2@5 --noise=3": the values are numbers, the names are not.
std::vector<std::string> asFaultOptions(const std::vector<std::string>& items) {
    std::vector<std::string> args;
    for (const std::string& item : items)
        args.push_back(std::isalpha(static_cast<unsigned char>(item[0])) != 0 ? "--" + item : item);
    return args;
}

void sendTyped(ModuleSimulator& sim, std::string_view rest, TextForm form, std::string_view command) {
    const std::string_view channelWord = nextWord(rest);
    if (channelWord.empty())
        throw OptionError(std::string(command) + " expects a channel (1-4) and a message");
    const int channel = parseNumber(channelWord, 1, TextChannels, std::string(command) + " channel");
    bool lineEnd = true;
    std::string bytes = messageBytes(rest, lineEnd);
    if (lineEnd)
        bytes += "\r\n";
    sim.sendText(channel, bytes, form);
}

} // namespace

std::string messageBytes(std::string_view typed, bool& lineEnd) {
    std::string out;
    std::string plain; // UTF-8 run waiting for conversion
    lineEnd = true;
    auto flush = [&] {
        out += toCodePage(plain);
        plain.clear();
    };
    for (std::size_t i = 0; i < typed.size(); ++i) {
        if (typed[i] != '\\') {
            plain += typed[i];
            continue;
        }
        if (++i >= typed.size())
            throw OptionError("the message ends in a lone backslash");
        flush();
        switch (typed[i]) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        case 'x':
            if (i + 2 >= typed.size())
                throw OptionError("\\x needs two hexadecimal digits");
            out += static_cast<char>(parseNumber("0x" + std::string(typed.substr(i + 1, 2)), 0, 255, "\\x"));
            i += 2;
            break;
        case 'c':
            if (i + 1 != typed.size())
                throw OptionError("\\c belongs at the end of the message");
            lineEnd = false;
            break;
        default:
            throw OptionError(std::string("unknown escape \\") + typed[i]);
        }
    }
    flush();
    return out;
}

CommandInterpreter::Result CommandInterpreter::execute(std::string_view line) {
    std::string_view rest = line;
    const std::string command(nextWord(rest));
    if (command.empty() || command[0] == '#')
        return {};
    if (command == "quit" || command == "exit")
        return {{}, true};
    if (command == "help")
        return {helpText()};
    if (command == "text" || command == "short") {
        sendTyped(sim_, rest, command == "short" ? TextForm::Short : TextForm::Long, command);
        return {};
    }
    if (command == "status") {
        const ModuleStatus status = parseStatus(words(rest), sim_.status());
        sim_.setStatus(status);
        return {describeStatus(status)};
    }
    if (command == "fault") {
        std::vector<std::string> items = words(rest);
        if (items.empty())
            return {"faults: " + describeFaults(sim_.faults())};
        Faults base;
        if (items[0] == "clear") {
            if (items.size() > 1)
                throw OptionError("fault clear takes nothing after it");
            items.clear();
        } else if (items[0] == "add") {
            base = sim_.faults();
            items.erase(items.begin());
        }
        const Faults faults = parseFaultOptions(asFaultOptions(items), base);
        sim_.setFaults(faults);
        return {"faults: " + describeFaults(faults)};
    }
    if (command == "reset") {
        sim_.restartFaultCounts();
        return {"fault page counts restarted"};
    }
    if (command == "pacing") {
        const std::vector<std::string> args = words(rest);
        if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
            throw OptionError("pacing expects on or off");
        Timing timing = sim_.timing();
        timing.pacing = args[0] == "on";
        sim_.setTiming(timing);
        return {std::string("pacing ") + (timing.pacing ? "on" : "off")};
    }
    if (command == "turnaround") {
        const std::vector<std::string> args = words(rest);
        if (args.size() != 1)
            throw OptionError("turnaround expects milliseconds");
        Timing timing = sim_.timing();
        timing.turnaroundMs = parseNumber(args[0], 0, 60'000, "turnaround");
        sim_.setTiming(timing);
        return {"turnaround " + std::to_string(timing.turnaroundMs) + " ms"};
    }
    if (command == "page") {
        const std::vector<std::string> args = words(rest);
        if (args.size() != 1)
            throw OptionError("page expects a page number (0-14)");
        const int page = parseNumber(args[0], 0, static_cast<int>(PageCount) - 1, "page");
        return {hexDump(sim_.page(page), page)};
    }
    if (command == "poke") {
        const std::vector<std::string> args = words(rest);
        if (args.size() < 2)
            throw OptionError("poke expects an address and at least one byte");
        const int last = static_cast<int>(TransferLength) - 1;
        const int address = parseNumber(args[0], 0, last, "address");
        if (address + static_cast<int>(args.size()) - 2 > last)
            throw OptionError("poke runs past the end of the memory (address 959)");
        MemoryBytes memory = sim_.memory();
        for (std::size_t i = 1; i < args.size(); ++i)
            memory[static_cast<std::size_t>(address) + i - 1] =
                static_cast<std::uint8_t>(parseNumber(args[i], 0, 255, "byte"));
        sim_.setMemory(memory);
        return {};
    }
    if (command == "load" || command == "save") {
        if (rest.empty())
            throw OptionError(command + " expects a file name");
        const std::string path(rest);
        if (command == "load")
            sim_.loadParameterFile(path);
        else
            sim_.saveParameterFile(path);
        return {(command == "load" ? "loaded " : "saved ") + path};
    }
    if (command == "stats")
        return {describeStats(sim_.stats())};
    throw OptionError("unknown command '" + command + "'; 'help' lists the commands");
}

DemoScript::Step DemoScript::next(const ModuleStatus& current) {
    static constexpr std::array<std::uint8_t, 6> CallStates{0, 1, 2, 2, 9, 0};
    const int tick = tick_++;
    Step step{};
    step.status = current;
    step.status.signal = static_cast<std::uint8_t>(12 + (tick * 7) % 17);
    step.status.inputs = static_cast<std::uint8_t>(current.inputs ^ 0x01); // IN1 opens and closes
    step.status.call = CallStates[static_cast<std::size_t>(tick) % CallStates.size()];
    step.channel = tick % TextChannels + 1;
    step.form = TextForm::Long;
    switch (step.channel) {
    case 1:
        step.text = toCodePage("Demó üzenet " + std::to_string(tick + 1)) + "\r\n";
        break;
    case 2:
        step.text = toCodePage("Térerő: " + std::to_string(step.status.signal)) + "\r\n";
        break;
    case 3:
        step.text = "Contact-ID 1234 18 1 130 01 003\r\n";
        break;
    default:
        step.form = TextForm::Short; // DTMF digits come a few at a time
        step.text = "*" + std::to_string(1000 + tick % 9000) + "#\r\n";
        break;
    }
    return step;
}

} // namespace vantrel::sim
