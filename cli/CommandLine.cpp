#include "cli/CommandLine.h"

#include "cli/CliText.h"

#include <array>

namespace vantrel::cli {

namespace {

struct CommandSpec {
    const char* name;
    const char* synopsis;
    QStringList valueOptions; // options followed by a value
    QStringList flags;
    QStringList required; // value options that must be given
    int minOperands;
    int maxOperands; // -1: any number
};

const std::array<CommandSpec, 9>& commands() {
    static const std::array<CommandSpec, 9> table{{
        {"ports", "ports [--probe] [--json]", {}, {"--probe", "--json"}, {}, 0, 0},
        {"status", "status --port PORT [--json] [--watch]", {"--port"}, {"--json", "--watch"}, {"--port"}, 0, 0},
        {"read", "read --port PORT FILE.VT3", {"--port"}, {}, {"--port"}, 1, 1},
        {"write",
         "write --port PORT FILE.VT3 [--no-backup] [--no-verify]",
         {"--port"},
         {"--no-backup", "--no-verify"},
         {"--port"},
         1,
         1},
        {"compare", "compare --port PORT FILE.VT3 [--json]", {"--port"}, {"--json"}, {"--port"}, 1, 1},
        {"diff", "diff A.VT3 B.VT3 [--json]", {}, {"--json"}, {}, 2, 2},
        {"export", "export FILE.VT3 [--format json|csv] [-o OUT]", {"--format", "-o"}, {}, {}, 1, 1},
        {"import", "import JSON -o FILE.VT3 [--base BASE.VT3]", {"-o", "--base"}, {}, {"-o"}, 1, 1},
        {"set", "set FILE.VT3 NAME=VALUE... [-o OUT.VT3]", {"-o"}, {}, {}, 2, -1},
    }};
    return table;
}

// Options every command takes, and the ones that stand without a command.
const QStringList kSharedFlags{"-q", "--quiet", "--progress", "-h", "--help"};
const QStringList kAloneFlags{"--version", "--list-fields"};

const CommandSpec* findCommand(const QString& name) {
    for (const CommandSpec& spec : commands())
        if (name == QLatin1String(spec.name))
            return &spec;
    return nullptr;
}

[[noreturn]] void refuse(const QString& text) {
    throw CliError(UsageError, text + say(" (súgó: vantrel5-cli --help)", " (see vantrel5-cli --help)"));
}

void setFlag(Invocation& inv, const QString& flag) {
    if (flag == "-q" || flag == "--quiet")
        inv.quiet = true;
    else if (flag == "--progress")
        inv.progress = true;
    else if (flag == "-h" || flag == "--help")
        inv.help = true;
    else if (flag == "--version")
        inv.version = true;
    else if (flag == "--list-fields")
        inv.listFields = true;
    else if (flag == "--json")
        inv.json = true;
    else if (flag == "--watch")
        inv.watch = true;
    else if (flag == "--probe")
        inv.probe = true;
    else if (flag == "--no-backup")
        inv.noBackup = true;
    else if (flag == "--no-verify")
        inv.noVerify = true;
}

void setValue(Invocation& inv, const QString& option, const QString& value) {
    if (option == "--port")
        inv.port = value;
    else if (option == "-o")
        inv.output = value;
    else if (option == "--base")
        inv.base = value;
    else if (option == "--format") {
        if (value != "json" && value != "csv")
            refuse(say("a --format értéke json vagy csv lehet, nem: %1", "--format takes json or csv, not: %1")
                       .arg(value));
        inv.format = value;
    }
}

} // namespace

QStringList commandNames() {
    QStringList names;
    for (const CommandSpec& spec : commands())
        names << QString::fromLatin1(spec.name);
    return names;
}

QStringList optionsOf(const QString& command) {
    const CommandSpec* spec = findCommand(command);
    QStringList options = spec ? spec->valueOptions + spec->flags : kAloneFlags;
    return options + kSharedFlags;
}

Invocation parseCommandLine(const QStringList& arguments) {
    Invocation inv;
    const CommandSpec* spec = nullptr;
    QStringList seen;
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        QString arg = arguments[i];
        const bool looksLikeOption = !optionsEnded && arg.size() > 1 && arg.startsWith('-');
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!looksLikeOption) {
            if (!spec) {
                spec = findCommand(arg);
                if (!spec)
                    refuse(say("ismeretlen parancs: %1", "unknown command: %1").arg(arg));
                inv.command = arg;
            } else {
                inv.operands << arg;
            }
            continue;
        }
        QString value;
        bool hasInlineValue = false;
        if (arg.startsWith("--") && arg.contains('=')) {
            value = arg.mid(arg.indexOf('=') + 1);
            arg = arg.left(arg.indexOf('='));
            hasInlineValue = true;
        }
        if (kSharedFlags.contains(arg) || (!spec && kAloneFlags.contains(arg)) || (spec && spec->flags.contains(arg))) {
            if (hasInlineValue)
                refuse(say("a %1 kapcsolónak nincs értéke", "option %1 takes no value").arg(arg));
            setFlag(inv, arg);
            continue;
        }
        if (spec && spec->valueOptions.contains(arg)) {
            if (!hasInlineValue) {
                if (i + 1 >= arguments.size())
                    refuse(say("a %1 kapcsoló után hiányzik az érték", "option %1 needs a value").arg(arg));
                value = arguments[++i];
            }
            if (value.isEmpty())
                refuse(say("a %1 kapcsoló értéke üres", "option %1 has an empty value").arg(arg));
            if (seen.contains(arg))
                refuse(say("a %1 kapcsoló kétszer szerepel", "option %1 given twice").arg(arg));
            seen << arg;
            setValue(inv, arg, value);
            continue;
        }
        if (spec)
            refuse(say("a(z) %1 parancsnak nincs %2 kapcsolója", "command %1 has no option %2").arg(inv.command, arg));
        refuse(say("ismeretlen kapcsoló: %1", "unknown option: %1").arg(arg));
    }
    if (inv.help || inv.version || inv.listFields)
        return inv;
    if (!spec)
        refuse(say("hiányzik a parancs", "no command given"));
    for (const QString& option : spec->required)
        if (!seen.contains(option))
            refuse(say("a(z) %1 parancshoz kell: %2", "command %1 needs %2").arg(inv.command, option));
    const qsizetype count = inv.operands.size();
    if (count < spec->minOperands)
        refuse(say("hiányzó argumentum; használat: vantrel5-cli %1", "missing argument; usage: vantrel5-cli %1")
                   .arg(QString::fromLatin1(spec->synopsis)));
    if (spec->maxOperands >= 0 && count > spec->maxOperands)
        refuse(say("fölösleges argumentum: %1", "unexpected argument: %1").arg(inv.operands[spec->maxOperands]));
    return inv;
}

QString helpText() {
    QString text = say("Használat:\n", "Usage:\n");
    for (const CommandSpec& spec : commands())
        text += QStringLiteral("  vantrel5-cli %1\n").arg(QString::fromLatin1(spec.synopsis));
    text += say("\nMinden parancs: -q (csak a hibák és a parancs eredménye), --progress (haladás akkor is, ha a "
                "hibakimenet nem terminál), --help.\n"
                "vantrel5-cli --list-fields: a mezők kódnevei, soronként egy (a set és az import nevei).\n"
                "PORT: COMn név (mint az ablakokban) vagy eszközútvonal (/dev/ttyUSB0).\n"
                "Kilépési kód: 0 kész vagy egyezik, 1 eltérés, 2 hibás használat vagy érték, 3 a modul nem "
                "válaszolt, 4 a port nem nyitható vagy megszakadt a kapcsolat, 5 fájlhiba.\n",
                "\nEvery command: -q (errors and the command's result only), --progress (progress even when "
                "standard error is no terminal), --help.\n"
                "vantrel5-cli --list-fields: the fields' code names, one a line (the names set and import take).\n"
                "PORT: a COMn name (as the windows know it) or a device path (/dev/ttyUSB0).\n"
                "Exit status: 0 done or equal, 1 differences, 2 usage error or value refused, 3 the module did "
                "not answer, 4 the port could not be opened or the link was lost, 5 file error.\n");
    return text;
}

} // namespace vantrel::cli
