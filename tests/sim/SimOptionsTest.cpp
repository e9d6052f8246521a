// The simulator's command line and the commands typed into it, checked without starting the program.
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimCommands.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel::sim;

namespace {

Options parse(std::initializer_list<const char*> args) {
    return parseOptions(std::vector<std::string>(args.begin(), args.end()));
}

} // namespace

TEST(SimOptions, Defaults) {
    const Options o = parse({});
    EXPECT_TRUE(o.device.empty());
    EXPECT_EQ(o.com, 0);
    EXPECT_TRUE(o.timing.pacing);
    EXPECT_EQ(o.timing.turnaroundMs, 0);
    EXPECT_EQ(o.faults, Faults{});
    EXPECT_EQ(o.status, ModuleStatus{});
    EXPECT_FALSE(o.help);
}

TEST(SimOptions, EveryOptionLandsInItsField) {
    const Options o =
        parse({"--device", "/dev/ttyUSB0", "--com=12", "--memory", "m.VT3", "--inputs", "0x1f", "--signal", "31",
               "--call=3", "--spare", "255", "--no-pacing", "--turnaround", "40", "--demo", "3", "--verbose"});
    EXPECT_EQ(o.device, "/dev/ttyUSB0");
    EXPECT_EQ(o.com, 12);
    EXPECT_EQ(o.memoryFile, "m.VT3");
    EXPECT_EQ(o.status, (ModuleStatus{0x1F, 31, 3, 255}));
    EXPECT_EQ(o.timing, (Timing{false, 40}));
    EXPECT_EQ(o.demoSeconds, 3);
    EXPECT_TRUE(o.verbose);
    EXPECT_TRUE(parse({"-h"}).help);
    EXPECT_TRUE(parse({"--signal", "3", "--help"}).help);
}

TEST(SimOptions, Faults) {
    const Options o = parse({"--drop-block", "2@5", "--repeat-block=4", "--bad-checksum", "--wrong-page=14",
                             "--silent-after", "7", "--ack-first", "3", "--noise", "9", "--hangup-after", "0"});
    EXPECT_EQ(o.faults.dropBlock, 2);
    EXPECT_EQ(o.faults.dropBlockOn, (PageScope{true, 5}));
    EXPECT_EQ(o.faults.repeatBlock, 4);
    EXPECT_EQ(o.faults.repeatBlockOn, (PageScope{true, -1}));
    EXPECT_EQ(o.faults.badChecksum, (PageScope{true, -1}));
    EXPECT_EQ(o.faults.wrongPage, (PageScope{true, 14}));
    EXPECT_EQ(o.faults.silentAfter, 7);
    EXPECT_EQ(o.faults.ackFirst, 3);
    EXPECT_EQ(o.faults.noiseBytes, 9);
    EXPECT_EQ(o.faults.hangUpAfter, 0);
    EXPECT_FALSE(o.faults.neverAck);
    EXPECT_EQ(describeFaults(o.faults),
              "drop-block 2@5 repeat-block 4 bad-checksum wrong-page=14 silent-after 7 ack-first 3 noise 9 "
              "hangup-after 0");
    EXPECT_TRUE(parse({"--no-ack"}).faults.neverAck);
    EXPECT_EQ(describeFaults(Faults{}), "none");
}

TEST(SimOptions, BadOptionsSayWhatIsWrong) {
    struct Row {
        std::vector<std::string> args;
        const char* mentions;
    };
    const Row rows[] = {
        {{"--bogus"}, "--bogus"},
        {{"stray"}, "stray"},
        {{"--signal"}, "needs a value"},
        {{"--signal", "256"}, "0 to 255"},
        {{"--signal", "-1"}, "0 to 255"},
        {{"--signal", "12abc"}, "12abc"},
        {{"--inputs", "0x"}, "0x"},
        {{"--com", "0"}, "1 to 96"},
        {{"--com", "97"}, "1 to 96"},
        {{"--drop-block", "6"}, "0 to 5"},
        {{"--drop-block", "2@15"}, "0 to 14"},
        {{"--drop-block", "2@"}, "--drop-block"},
        {{"--bad-checksum=x"}, "--bad-checksum"},
        {{"--no-pacing=1"}, "takes no value"},
        {{"--noise", "65"}, "0 to 64"},
        {{"--turnaround", "60001"}, "0 to 60000"},
        {{"--demo", "0"}, "1 to 3600"},
        {{"--no-ack", "--ack-first", "1"}, "exclude"},
        {{"--"}, "--"},
    };
    for (const Row& row : rows) {
        try {
            parseOptions(row.args);
            ADD_FAILURE() << "accepted: " << row.args[0];
        } catch (const OptionError& e) {
            EXPECT_NE(std::string(e.what()).find(row.mentions), std::string::npos) << e.what();
        }
    }
}

TEST(SimOptions, FaultCommandTakesOnlyFaults) {
    Faults f = parseFaultOptions({"--noise", "2"}, Faults{});
    f = parseFaultOptions({"--no-ack"}, f);
    EXPECT_EQ(f.noiseBytes, 2);
    EXPECT_TRUE(f.neverAck);
    EXPECT_THROW(parseFaultOptions({"--signal", "3"}, Faults{}), OptionError);
    EXPECT_THROW(parseFaultOptions({"-h"}, Faults{}), OptionError);
}

TEST(SimOptions, HelpNamesEveryOptionAndCommand) {
    const std::string help = helpText();
    for (const char* name :
         {"--device",       "--com",          "--no-pacing",  "--turnaround",   "--memory",   "--inputs",
          "--signal",       "--call",         "--spare",      "--demo",         "--verbose",  "--drop-block",
          "--repeat-block", "--bad-checksum", "--wrong-page", "--silent-after", "--no-ack",   "--ack-first",
          "--noise",        "--hangup-after", "text N",       "short N",        "status [",   "fault clear",
          "fault add",      "reset",          "pacing on",    "turnaround MS",  "page P",     "poke",
          "load FILE",      "save FILE",      "stats",        "quit",           "Exit status"})
        EXPECT_NE(help.find(name), std::string::npos) << name;
}

TEST(SimCommands, MessageBytesConvertsAndUnescapes) {
    struct Row {
        const char* typed;
        std::string bytes;
        bool lineEnd;
    };
    const Row rows[] = {
        {"Hello", "Hello", true},
        {"\xC5\x91r \xC3\xA1ll", "\xF5r \xE1ll", true}, // "őr áll" in Windows-1250
        {"a\\r\\nb", "a\r\nb", true},
        {"\\x41\\x00\\xff", std::string("A\0\xFF", 3), true},
        {"tab\\there\\\\", "tab\there\\", true},
        {"open\\c", "open", false},
        {"", "", true},
    };
    for (const Row& row : rows) {
        bool lineEnd = false;
        EXPECT_EQ(messageBytes(row.typed, lineEnd), row.bytes) << row.typed;
        EXPECT_EQ(lineEnd, row.lineEnd) << row.typed;
    }
    bool lineEnd = true;
    for (const char* bad : {"x\\", "\\q", "\\x4", "\\xZZ", "a\\cb", "\xE2\x82\xAC\xE2\x98\x83"}) // ☃ has no code
        EXPECT_THROW(messageBytes(bad, lineEnd), OptionError) << bad;
}

TEST(SimCommands, ChangeTheModule) {
    ModuleSimulator sim;
    CommandInterpreter commands(sim);
    EXPECT_EQ(commands.execute("status inputs=0x1f signal=9").output, "status inputs=0x1F signal=9 call=0 spare=0");
    EXPECT_EQ(sim.status(), (ModuleStatus{0x1F, 9, 0, 0}));
    EXPECT_THROW(commands.execute("status volume=3"), OptionError);
    EXPECT_THROW(commands.execute("status signal"), OptionError);

    EXPECT_EQ(commands.execute("fault drop-block 1@2 noise=4").output, "faults: drop-block 1@2 noise 4");
    EXPECT_EQ(commands.execute("fault add no-ack").output, "faults: drop-block 1@2 no-ack noise 4");
    EXPECT_EQ(commands.execute("fault silent-after 3").output, "faults: silent-after 3"); // replaces
    EXPECT_EQ(commands.execute("fault").output, "faults: silent-after 3");
    EXPECT_EQ(commands.execute("fault clear").output, "faults: none");
    EXPECT_THROW(commands.execute("fault signal 3"), OptionError);

    commands.execute("poke 0x3BD 0xAB 0xCD");
    commands.execute("poke 959 7");
    EXPECT_EQ(sim.memory()[956], 0xFF);
    EXPECT_EQ(sim.memory()[957], 0xAB);
    EXPECT_EQ(sim.memory()[958], 0xCD);
    const std::string dump = commands.execute("page 14").output;
    EXPECT_NE(dump.find("3B0: FF FF FF FF FF FF FF FF FF FF FF FF FF AB CD 07"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("380: FF"), 0u) << dump;
    EXPECT_THROW(commands.execute("poke 959 1 2"), OptionError);
    EXPECT_THROW(commands.execute("page 15"), OptionError);

    EXPECT_EQ(commands.execute("pacing off").output, "pacing off");
    EXPECT_EQ(commands.execute("turnaround 25").output, "turnaround 25 ms");
    EXPECT_EQ(sim.timing(), (Timing{false, 25}));
    EXPECT_THROW(commands.execute("text 5 hello"), OptionError);
    EXPECT_THROW(commands.execute("text"), OptionError);
    EXPECT_THROW(commands.execute("jump"), OptionError);
    EXPECT_TRUE(commands.execute("quit").quit);
    EXPECT_TRUE(commands.execute("  # a comment").output.empty());
}

TEST(SimCommands, SaveAndLoadParameterFiles) {
    QTemporaryDir dir;
    ModuleSimulator sim;
    CommandInterpreter commands(sim);
    commands.execute("poke 100 1 2 3");
    const std::string file = dir.filePath("saved.VT3").toStdString();
    commands.execute("save " + file);
    ModuleSimulator other;
    CommandInterpreter otherCommands(other);
    otherCommands.execute("load " + file);
    EXPECT_EQ(other.memory(), sim.memory());
    EXPECT_THROW(otherCommands.execute("load " + dir.filePath("missing.VT3").toStdString()), SimError);
    EXPECT_THROW(otherCommands.execute("save " + dir.filePath("no/such/dir.VT3").toStdString()), SimError);
}

TEST(SimMemoryFile, ShortFileIsRefusedLongerFileReadToByte1088) {
    QTemporaryDir dir;
    const auto write = [&](const char* name, int size) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i % 251);
        f.write(bytes);
        return dir.filePath(name).toStdString();
    };
    try {
        readParameterFile(write("short.VT3", 1087));
        ADD_FAILURE() << "a 1087-byte file was taken";
    } catch (const SimError& e) {
        EXPECT_NE(std::string(e.what()).find("holds 1087 bytes"), std::string::npos) << e.what();
    }
    const vantrel::ImageBytes image = readParameterFile(write("long.VT3", 2000));
    EXPECT_EQ(image[1087], 1087 % 251);
    ModuleSimulator sim;
    sim.loadParameterFile(write("exact.VT3", 1088));
    EXPECT_EQ(sim.memory()[959], 959 % 251);
}

TEST(SimDemo, CyclesThroughTheChannelsAndMovesTheStatus) {
    DemoScript demo;
    ModuleStatus status;
    for (int i = 0; i < 8; ++i) {
        const DemoScript::Step step = demo.next(status);
        EXPECT_EQ(step.channel, i % 4 + 1);
        EXPECT_FALSE(step.text.empty());
        EXPECT_EQ(step.text.substr(step.text.size() - 2), "\r\n");
        EXPECT_LE(step.status.signal, 31);
        EXPECT_NE(step.status.inputs & 0x01, status.inputs & 0x01); // IN1 changes every step
        EXPECT_EQ(step.status.inputs & 0x10, 0x10);                 // the wired line stays
        status = step.status;
    }
}
