#include "tools/sim/SimOptions.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace vantrel::sim {

namespace {

constexpr int MaxPage = static_cast<int>(PageCount) - 1;
constexpr int MaxBlock = layout::BlocksPerPage - 1;
constexpr int MaxCount = 1'000'000;
constexpr int MaxNoise = 64;
constexpr int MaxTurnaroundMs = 60'000;
constexpr int MaxDemoSeconds = 3600;

enum class Value { None, Required, OptionalAttached };

struct OptionEntry {
    std::string_view name;
    Value value;
    bool fault;
    void (*apply)(Options&, const std::string& option, const std::optional<std::string>& value);
};

std::uint8_t byteValue(const std::string& option, const std::string& value) {
    return static_cast<std::uint8_t>(parseNumber(value, 0, 255, option));
}

PageScope pageScope(const std::string& option, const std::optional<std::string>& value) {
    PageScope scope;
    scope.enabled = true;
    if (value)
        scope.page = parseNumber(*value, 0, MaxPage, option + " (page)");
    return scope;
}

// "K" or "K@P": a block index, and the page it is limited to.
void blockFault(const std::string& option, const std::string& value, int& block, PageScope& scope) {
    const std::size_t at = value.find('@');
    block = parseNumber(value.substr(0, at), 0, MaxBlock, option + " (block)");
    scope = pageScope(option, at == std::string::npos ? std::nullopt : std::optional(value.substr(at + 1)));
}

const std::vector<OptionEntry>& optionTable() {
    using V = Value;
    using Opt = std::optional<std::string>;
    static const std::vector<OptionEntry> table{
        {"help", V::None, false, [](Options& o, const std::string&, const Opt&) { o.help = true; }},
        {"device", V::Required, false, [](Options& o, const std::string&, const Opt& v) { o.device = *v; }},
        {"com", V::Required, false,
         [](Options& o, const std::string& n, const Opt& v) { o.com = parseNumber(*v, 1, 96, n); }},
        {"memory", V::Required, false, [](Options& o, const std::string&, const Opt& v) { o.memoryFile = *v; }},
        {"inputs", V::Required, false,
         [](Options& o, const std::string& n, const Opt& v) { o.status.inputs = byteValue(n, *v); }},
        {"signal", V::Required, false,
         [](Options& o, const std::string& n, const Opt& v) { o.status.signal = byteValue(n, *v); }},
        {"call", V::Required, false,
         [](Options& o, const std::string& n, const Opt& v) { o.status.call = byteValue(n, *v); }},
        {"spare", V::Required, false,
         [](Options& o, const std::string& n, const Opt& v) { o.status.spare = byteValue(n, *v); }},
        {"no-pacing", V::None, false, [](Options& o, const std::string&, const Opt&) { o.timing.pacing = false; }},
        {"turnaround", V::Required, false,
         [](Options& o, const std::string& n, const Opt& v) {
             o.timing.turnaroundMs = parseNumber(*v, 0, MaxTurnaroundMs, n);
         }},
        {"demo", V::Required, false,
         [](Options& o, const std::string& n, const Opt& v) { o.demoSeconds = parseNumber(*v, 1, MaxDemoSeconds, n); }},
        {"verbose", V::None, false, [](Options& o, const std::string&, const Opt&) { o.verbose = true; }},
        {"drop-block", V::Required, true,
         [](Options& o, const std::string& n, const Opt& v) {
             blockFault(n, *v, o.faults.dropBlock, o.faults.dropBlockOn);
         }},
        {"repeat-block", V::Required, true,
         [](Options& o, const std::string& n, const Opt& v) {
             blockFault(n, *v, o.faults.repeatBlock, o.faults.repeatBlockOn);
         }},
        {"bad-checksum", V::OptionalAttached, true,
         [](Options& o, const std::string& n, const Opt& v) { o.faults.badChecksum = pageScope(n, v); }},
        {"wrong-page", V::OptionalAttached, true,
         [](Options& o, const std::string& n, const Opt& v) { o.faults.wrongPage = pageScope(n, v); }},
        {"silent-after", V::Required, true,
         [](Options& o, const std::string& n, const Opt& v) {
             o.faults.silentAfter = parseNumber(*v, 0, MaxCount, n);
         }},
        {"no-ack", V::None, true, [](Options& o, const std::string&, const Opt&) { o.faults.neverAck = true; }},
        {"ack-first", V::Required, true,
         [](Options& o, const std::string& n, const Opt& v) { o.faults.ackFirst = parseNumber(*v, 0, MaxCount, n); }},
        {"noise", V::Required, true,
         [](Options& o, const std::string& n, const Opt& v) { o.faults.noiseBytes = parseNumber(*v, 0, MaxNoise, n); }},
        {"lose-first", V::Required, true,
         [](Options& o, const std::string& n, const Opt& v) {
             const std::size_t at = v->find('@');
             o.faults.loseFirst = parseNumber(v->substr(0, at), 0, MaxCount, n);
             o.faults.loseFirstOn =
                 pageScope(n, at == std::string::npos ? std::nullopt : std::optional(v->substr(at + 1)));
         }},
        {"hangup-after", V::Required, true,
         [](Options& o, const std::string& n, const Opt& v) {
             o.faults.hangUpAfter = parseNumber(*v, 0, MaxCount, n);
         }},
    };
    return table;
}

void parseInto(Options& options, const std::vector<std::string>& args, bool faultsOnly) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" && !faultsOnly) {
            options.help = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0 || arg.size() == 2)
            throw OptionError("unexpected argument '" + arg + "'");
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const std::string option = "--" + name;
        const auto& table = optionTable();
        const auto entry =
            std::find_if(table.begin(), table.end(), [&](const OptionEntry& e) { return e.name == name; });
        if (entry == table.end())
            throw OptionError("unknown option " + option);
        if (faultsOnly && !entry->fault)
            throw OptionError(option + " is no fault");
        std::optional<std::string> value;
        if (equals != std::string::npos)
            value = arg.substr(equals + 1);
        switch (entry->value) {
        case Value::None:
            if (value)
                throw OptionError(option + " takes no value");
            break;
        case Value::Required:
            if (!value) {
                if (i + 1 >= args.size())
                    throw OptionError(option + " needs a value");
                value = args[++i];
            }
            break;
        case Value::OptionalAttached:
            break;
        }
        entry->apply(options, option, value);
    }
}

} // namespace

int parseNumber(std::string_view text, int low, int high, std::string_view what) {
    int base = 10;
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < low || value > high)
        throw OptionError(std::string(what) + " expects a number from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", not '" + std::string(text) + "'");
    return static_cast<int>(value);
}

Options parseOptions(const std::vector<std::string>& args) {
    Options options;
    parseInto(options, args, false);
    if (options.faults.neverAck && options.faults.ackFirst >= 0)
        throw OptionError("--no-ack and --ack-first exclude each other");
    return options;
}

Faults parseFaultOptions(const std::vector<std::string>& args, Faults faults) {
    Options options;
    options.faults = faults;
    parseInto(options, args, true);
    if (options.faults.neverAck && options.faults.ackFirst >= 0)
        throw OptionError("no-ack and ack-first exclude each other");
    return options.faults;
}

std::string describeFaults(const Faults& f) {
    std::string out;
    auto add = [&](const std::string& part) { out += (out.empty() ? "" : " ") + part; };
    auto scoped = [](const PageScope& s) { return s.page < 0 ? std::string() : "@" + std::to_string(s.page); };
    auto onPage = [](const PageScope& s) { return s.page < 0 ? std::string() : "=" + std::to_string(s.page); };
    if (f.dropBlockOn.enabled)
        add("drop-block " + std::to_string(f.dropBlock) + scoped(f.dropBlockOn));
    if (f.repeatBlockOn.enabled)
        add("repeat-block " + std::to_string(f.repeatBlock) + scoped(f.repeatBlockOn));
    if (f.badChecksum.enabled)
        add("bad-checksum" + onPage(f.badChecksum));
    if (f.wrongPage.enabled)
        add("wrong-page" + onPage(f.wrongPage));
    if (f.silentAfter >= 0)
        add("silent-after " + std::to_string(f.silentAfter));
    if (f.neverAck)
        add("no-ack");
    if (f.ackFirst >= 0)
        add("ack-first " + std::to_string(f.ackFirst));
    if (f.noiseBytes > 0)
        add("noise " + std::to_string(f.noiseBytes));
    if (f.hangUpAfter >= 0)
        add("hangup-after " + std::to_string(f.hangUpAfter));
    if (f.loseFirstOn.enabled)
        add("lose-first " + std::to_string(f.loseFirst) + scoped(f.loseFirstOn));
    return out.empty() ? "none" : out;
}

std::string helpText() {
    return R"(Usage: vantrel-sim [OPTION]...
Plays the Vantrel 5 module on the far end of a serial line, so that the configurator can be tried without
hardware. Makes a pseudo-terminal (or opens the device given), prints the path of its terminal side on
the first line of standard output, and answers page reads, page writes and status polls as the module
does. Runs until the command "quit" or SIGINT, SIGTERM or SIGHUP; the end of standard input does not
end it.

Line:
  --device PATH        play the module on this serial device instead of a new pseudo-terminal
  --com N              make the port link COMN (1-96) in $XDG_CONFIG_HOME/vantrel/ports (or
                       ~/.config/vantrel/ports) lead to the terminal, so the tool finds it as COMN;
                       the link is removed at exit
  --no-pacing          answer at once instead of at 19200 baud (1920 bytes a second, both ways)
  --turnaround MS      wait MS milliseconds (0-60000) after a request before answering; default 0

Module:
  --memory FILE        load the memory from a parameter file (1088 bytes; the first 960 are the
                       module's 15 pages); default: every byte 0xFF
  --inputs N           status byte 1: bits 0-3 inputs IN1-IN4 shorted, bit 4 wired line in order;
                       default 0x10
  --signal N           status byte 2: GSM signal level (0-31 on the tool's scale); default 20
  --call N             status byte 3: call state; default 0 (idle)
  --spare N            status byte 4; default 0
  --demo SECONDS       every SECONDS seconds send a demo text (channels 1 to 4 in turn) and move the
                       status (signal level, input IN1, call state)
  --verbose            log requests, refusals and faults on standard error

Faults (pages are 0-14, blocks 0-5; "after K pages" counts the pages answered to reads plus the pages
stored by writes since the faults were set):
  --drop-block K[@P]   leave block K out of every page answer (of page P only)
  --repeat-block K[@P] send block K twice
  --bad-checksum[=P]   put a checksum one too high into the last block
  --wrong-page[=P]     announce page P+1 in the page header instead of the page asked for
  --silent-after K     answer nothing (reads, writes, polls) once K pages are done
  --no-ack             store correct pages but never acknowledge them
  --ack-first K        acknowledge only the first K pages stored; later ones are stored silently
  --noise N            send N noise bytes (0-64, the first a stray "{") before every frame
  --hangup-after K     close the terminal in the middle of the next page once K pages are done:
                       half a page answer for a read, nothing for a write; the simulator then ends
  --lose-first N[@P]   leave the first N page answers and write acknowledgements out (of page P only),
                       as a line that drops a frame now and then

Numbers may be written in decimal or as 0x hexadecimal.

Commands on standard input, one a line:
  text N MESSAGE       send MESSAGE on text channel N (1-4; 1 and 2 also reach the status window,
                       4 carries DTMF digits) in the long form (13 characters a frame), then CR LF
  short N MESSAGE      the same in the short form (4 characters a frame)
                       MESSAGE may hold \r \n \t \\ and \xHH; a \c at its end leaves out the CR LF
  status [inputs=N] [signal=N] [call=N] [spare=N]
                       change the status the module reports; prints the status
  fault clear | fault FAULT...
                       replace the faults, e.g. "fault drop-block 2@5 noise 3"; "fault" prints them
  fault add FAULT...   add faults to those set
  reset                restart the page counts of the faults
  pacing on|off        switch the 19200 baud pacing
  turnaround MS        set the turnaround delay
  page P               print page P of the memory in hexadecimal
  poke ADDRESS BYTE... change memory bytes (addresses 0-959)
  load FILE            load the memory from a parameter file
  save FILE            save the memory as a parameter file (1088 bytes)
  stats                print the counts of requests, answers and refusals
  help                 this list
  quit                 end the simulator

Exit status: 0 after quit or a signal, or when the --hangup-after fault has closed the line; 1 when the
line cannot be made or is lost; 2 for a bad option or an unusable memory file.
)";
}

} // namespace vantrel::sim
