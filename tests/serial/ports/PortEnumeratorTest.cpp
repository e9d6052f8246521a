// The enumeration rules over an in-memory key tree: candidates, attached devices, the active port map,
// the cache's life.
#include "serial/ports/PortEnumerator.h"
#include "serial/ports/KeyTree.h"
#include "serial/ports/PortEntry.h"

#include <gtest/gtest.h>

using namespace vantrel::ports;

namespace {

const QString kEnum = keypath::DeviceTree;
const QString kMap = keypath::ActivePortMap;

class Enumeration : public ::testing::Test {
protected:
    std::shared_ptr<MemoryKeySource> tree = std::make_shared<MemoryKeySource>();
    PortEnumerator enumerator{tree};

    void device(const QString& relative, const QString& friendlyName, const QString& maker,
                const QString& className = QStringLiteral("Ports")) {
        const QString path = kEnum + QLatin1Char('\\') + relative;
        if (!className.isNull())
            tree->setText(path, QStringLiteral("Class"), className);
        tree->setText(path, QStringLiteral("FriendlyName"), friendlyName);
        tree->setText(path, QStringLiteral("Mfg"), maker);
    }
    void active(const QString& valueName, const QString& port) { tree->setText(kMap, valueName, port); }
    void attached(const QString& path, const QString& to, const QString& friendlyName) {
        tree->setText(path, QStringLiteral("AttachedTo"), to);
        tree->setText(path, QStringLiteral("FriendlyName"), friendlyName);
    }
    QStringList list() {
        QStringList out{QStringLiteral("stale line;x")};
        enumerator.ListSerialPorts(out);
        return out;
    }
    QStringList collected() {
        enumerator.CollectPortCandidates();
        return enumerator.PortCandidateCache().value_or(QStringList{QStringLiteral("<no cache>")});
    }
};

} // namespace

TEST_F(Enumeration, TheWorkedExampleGivesTheTwoMarkedLines) {
    device(QStringLiteral("ACPI\\PNP0501\\1"), QStringLiteral("Serial Port (COM5)"), QStringLiteral("Maker A"));
    device(QStringLiteral("ACPI\\PNP0501\\2"), QStringLiteral("Serial Port (COM1)"), QStringLiteral("Maker B"));
    attached(keypath::ClassTree + QStringLiteral("\\Modem\\0000"), QStringLiteral("COM1"), QStringLiteral("Modem C"));
    active(QStringLiteral("\\Device\\Serial0"), QStringLiteral("COM1"));

    EXPECT_EQ(collected(), (QStringList{"Serial Port (COM1);Maker B : Modem C", "Serial Port (COM5);Maker A"}));
    const QStringList lines = list();
    EXPECT_EQ(lines, (QStringList{"+Serial Port (COM1);Maker B : Modem C", "-Serial Port (COM5);Maker A"}));
    EXPECT_EQ(EntryName(lines[0]), QStringLiteral("Serial Port (COM1)"));
    EXPECT_EQ(EntryName(lines[1]), QStringLiteral("Serial Port (COM5)"));
}

TEST_F(Enumeration, CandidatesByClassOrServiceAndByFriendlyName) {
    device(QStringLiteral("A"), QStringLiteral("A (COM1)"), QStringLiteral("m"), QStringLiteral("Ports"));
    device(QStringLiteral("B"), QStringLiteral("B (COM2)"), QStringLiteral("m"), QStringLiteral("PORTS"));
    device(QStringLiteral("C"), QStringLiteral("C (COM3)"), QStringLiteral("m"), QStringLiteral("MultiPortSerial"));
    device(QStringLiteral("D"), QStringLiteral("D (COM4)"), QStringLiteral("m"), QStringLiteral("Modem"));
    device(QStringLiteral("E"), QStringLiteral("E (COM5)"), QStringLiteral("m"), QString());
    tree->setText(kEnum + QStringLiteral("\\E"), QStringLiteral("Service"), QStringLiteral("Serial"));
    device(QStringLiteral("F"), QStringLiteral("F (COM6)"), QStringLiteral("m"), QString()); // no class, no service
    device(QStringLiteral("G"), QStringLiteral("Modem (com7)"), QStringLiteral("m"));        // lower case
    device(QStringLiteral("H"), QStringLiteral("Port without number"), QStringLiteral("m"));
    tree->setText(kEnum + QStringLiteral("\\I"), QStringLiteral("Class"), QStringLiteral("Ports"));
    tree->setText(kEnum + QStringLiteral("\\I"), QStringLiteral("FRIENDLYNAME"), QStringLiteral("I (COM8)"));
    tree->setText(kEnum + QStringLiteral("\\J"), QStringLiteral("Class"), QStringLiteral("Ports"));
    tree->setText(kEnum + QStringLiteral("\\J"), QStringLiteral("friendlyname"), QStringLiteral("J (COM9)"));
    tree->setText(kEnum + QStringLiteral("\\J"), QStringLiteral("Mfg"), QStringLiteral("j"));
    // A value of another kind reads as missing.
    device(QStringLiteral("K"), QStringLiteral("K (COM10)"), QStringLiteral("m"), QString());
    tree->setNonText(kEnum + QStringLiteral("\\K"), QStringLiteral("Class"));

    EXPECT_EQ(collected(),
              (QStringList{"A (COM1);m", "B (COM2);m", "C (COM3);m", "E (COM5);m", "I (COM8);", "J (COM9);j"}));
}

TEST_F(Enumeration, ManufacturerTextsAndDescriptions) {
    device(QStringLiteral("A"), QStringLiteral("A (COM1)"), QString());
    device(QStringLiteral("B"), QStringLiteral("B (COM2)"), QStringLiteral("X"));
    device(QStringLiteral("C"), QStringLiteral("C (COM3)"), QStringLiteral("XY"));
    const QStringList lines = list();
    ASSERT_EQ(lines, (QStringList{"-A (COM1);", "-B (COM2);X", "-C (COM3);XY"}));
    EXPECT_EQ(EntryDescription(lines[0]), QString());
    EXPECT_EQ(EntryDescription(lines[1]), QString());
    EXPECT_EQ(EntryDescription(lines[2]), QStringLiteral("XY"));
}

TEST_F(Enumeration, DuplicateNumbersMarkOnlyTheFirstAndListThePresentOneFirst) {
    device(QStringLiteral("1"), QStringLiteral("First (COM3)"), QStringLiteral("a"));
    device(QStringLiteral("2"), QStringLiteral("Second (COM3)"), QStringLiteral("b"));
    device(QStringLiteral("3"), QStringLiteral("Other (COM2)"), QStringLiteral("c"));
    active(QStringLiteral("v"), QStringLiteral("COM3"));
    EXPECT_EQ(list(), (QStringList{"-Other (COM2);c", "+First (COM3);a", "-Second (COM3);b"}));

    // Two map entries for the same number mark both, in candidate order.
    active(QStringLiteral("w"), QStringLiteral("COM3"));
    EXPECT_EQ(list(), (QStringList{"-Other (COM2);c", "+First (COM3);a", "+Second (COM3);b"}));
}

TEST_F(Enumeration, MapEntriesWithoutCandidateAndWithoutCandidatesAreNotListed) {
    active(QStringLiteral("a"), QStringLiteral("COM1"));
    active(QStringLiteral("b"), QStringLiteral("COM4"));
    EXPECT_TRUE(list().isEmpty());
    EXPECT_EQ(enumerator.PortCandidateCache(), QStringList());

    device(QStringLiteral("x"), QStringLiteral("X (COM4)"), QStringLiteral("m"));
    enumerator.CollectPortCandidates();
    EXPECT_EQ(list(), QStringList{"+X (COM4);m"});
}

TEST_F(Enumeration, SplitLeavesOutputsAloneWithoutCandidates) {
    active(QStringLiteral("a"), QStringLiteral("COM1"));
    QStringList present{"kept"};
    QStringList absent{"kept too"};
    enumerator.SplitPresentPorts({}, present, absent);
    EXPECT_EQ(present, QStringList{"kept"});
    EXPECT_EQ(absent, QStringList{"kept too"});

    enumerator.SplitPresentPorts({"B (COM2);b", "A (COM1);a"}, present, absent);
    EXPECT_EQ(present, QStringList{"A (COM1);a"});
    EXPECT_EQ(absent, QStringList{"B (COM2);b"});
}

TEST_F(Enumeration, OddMapEntriesNeverMarkALineWithoutNumber) {
    device(QStringLiteral("a"), QStringLiteral("Odd (COM port)"), QStringLiteral("m"));
    device(QStringLiteral("b"), QStringLiteral("Real (COM256)"), QStringLiteral("m"));
    device(QStringLiteral("c"), QStringLiteral("Five (COM5)"), QStringLiteral("m"));
    active(QStringLiteral("empty"), QString());
    active(QStringLiteral("text"), QStringLiteral("not a port"));
    active(QStringLiteral("wraps"), QStringLiteral("COM256"));
    tree->setNonText(kMap, QStringLiteral("binary"));
    active(QStringLiteral("wraps to five"), QStringLiteral("COM261"));
    // The odd line is still listed (number 0, first); nothing marks it present. COM261 wraps to 5.
    EXPECT_EQ(list(), (QStringList{"-Odd (COM port);m", "+Five (COM5);m", "-Real (COM256);m"}));
}

TEST_F(Enumeration, AttachedDevicesFromTheClassAndServiceTrees) {
    device(QStringLiteral("1"), QStringLiteral("P (COM1)"), QStringLiteral("m"));
    device(QStringLiteral("2"), QStringLiteral("Q (COM2)"), QStringLiteral("n"));
    device(QStringLiteral("3"), QStringLiteral("Zero (COM x)"), QStringLiteral("z"));
    attached(keypath::ClassTree + QStringLiteral("\\modem\\0000"), QStringLiteral("COM1"), QStringLiteral("Modem C"));
    attached(keypath::ClassTree + QStringLiteral("\\modem\\0001"), QStringLiteral("COM1"), QStringLiteral("Modem D"));
    attached(keypath::ServiceTree + QStringLiteral("\\mouse"), QStringLiteral("COM2"), QStringLiteral("Mouse"));
    attached(keypath::ServiceTree + QStringLiteral("\\lower"), QStringLiteral("com2"), QStringLiteral("Lower"));
    attached(keypath::ServiceTree + QStringLiteral("\\prefixed"), QStringLiteral("\\\\.\\COM2"), QStringLiteral("P"));
    attached(keypath::ServiceTree + QStringLiteral("\\nameless"), QStringLiteral("COM2"), QString());
    attached(keypath::ServiceTree + QStringLiteral("\\nowhere"), QStringLiteral("COM9"), QStringLiteral("Lost"));
    attached(keypath::ServiceTree + QStringLiteral("\\zero"), QStringLiteral("COMx"), QStringLiteral("Zero dev"));
    attached(keypath::ServiceTree + QStringLiteral("\\wraps"), QStringLiteral("COM256"), QStringLiteral("Wrap dev"));
    tree->setText(keypath::ServiceTree + QStringLiteral("\\upper"), QStringLiteral("AttachedTo"),
                  QStringLiteral("COM2"));
    tree->setText(keypath::ServiceTree + QStringLiteral("\\upper"), QStringLiteral("FRIENDLYNAME"),
                  QStringLiteral("Upper"));

    EXPECT_EQ(collected(),
              (QStringList{"Zero (COM x);z", "P (COM1);m : Modem C : Modem D", "Q (COM2);n : Mouse : Upper"}));
}

TEST_F(Enumeration, OlderTreesAreUsedOnlyWhenTheUsualOnesGiveNothing) {
    tree->setText(keypath::OldDeviceTree + QStringLiteral("\\x"), QStringLiteral("Class"), QStringLiteral("Ports"));
    tree->setText(keypath::OldDeviceTree + QStringLiteral("\\x"), QStringLiteral("FriendlyName"),
                  QStringLiteral("Old (COM2)"));
    tree->setText(keypath::OldActivePortMap, QStringLiteral("v"), QStringLiteral("COM2"));
    EXPECT_EQ(list(), QStringList{"+Old (COM2);"});

    device(QStringLiteral("new"), QStringLiteral("New (COM3)"), QStringLiteral("m"));
    active(QStringLiteral("w"), QStringLiteral("COM3"));
    enumerator.CollectPortCandidates();
    // The usual map exists now, so the older one is not read: the old COM2 entry no longer counts.
    EXPECT_EQ(list(), QStringList{"+New (COM3);m"});
}

TEST_F(Enumeration, WalkFollowsSubkeysInDepthAndIgnoresMissingKeys) {
    device(QStringLiteral("USB\\VID_1\\A"), QStringLiteral("Deep (COM9)"), QStringLiteral("d"));
    device(QStringLiteral("USB"), QStringLiteral("Hub level (COM4)"), QStringLiteral("h"));
    device(QStringLiteral("PCI\\B"), QStringLiteral("Card (COM3)"), QStringLiteral("c"));
    enumerator.ScanDeviceKeys(QStringLiteral("\\NO\\SUCH\\KEY"));
    EXPECT_EQ(enumerator.PortCandidateCache(), QStringList());
    EXPECT_EQ(collected(), (QStringList{"Card (COM3);c", "Hub level (COM4);h", "Deep (COM9);d"}));
}

TEST_F(Enumeration, CacheLivesUntilCollectedAgain) {
    EXPECT_FALSE(enumerator.PortCandidateCache().has_value());
    device(QStringLiteral("a"), QStringLiteral("A (COM1)"), QStringLiteral("m"));
    device(QStringLiteral("b"), QStringLiteral("B (COM2)"), QStringLiteral("m"));
    EXPECT_EQ(list(), (QStringList{"-A (COM1);m", "-B (COM2);m"})); // built by the first listing
    const QStringList cache = *enumerator.PortCandidateCache();

    // A port plugged in shows at the next listing; the cache itself does not change.
    active(QStringLiteral("v"), QStringLiteral("COM2"));
    EXPECT_EQ(list(), (QStringList{"-A (COM1);m", "+B (COM2);m"}));
    EXPECT_EQ(*enumerator.PortCandidateCache(), cache);

    // A device that was not known at collection time waits for the next collection.
    device(QStringLiteral("c"), QStringLiteral("C (COM3)"), QStringLiteral("m"));
    active(QStringLiteral("w"), QStringLiteral("COM3"));
    EXPECT_EQ(list().size(), 2);
    enumerator.CollectPortCandidates();
    EXPECT_EQ(list(), (QStringList{"-A (COM1);m", "+B (COM2);m", "+C (COM3);m"}));

    tree->removeKey(kEnum + QStringLiteral("\\a"));
    enumerator.CollectPortCandidates();
    EXPECT_EQ(enumerator.PortCandidateCache(), (QStringList{"B (COM2);m", "C (COM3);m"}));
}

TEST(EnumerationSource, NoSourceListsNothing) {
    PortEnumerator enumerator(nullptr);
    QStringList out{"x"};
    enumerator.ListSerialPorts(out);
    EXPECT_TRUE(out.isEmpty());
}

TEST(EnumerationSource, SharedEnumeratorTakesTheGivenSource) {
    auto tree = std::make_shared<MemoryKeySource>();
    tree->setText(keypath::DeviceTree + QStringLiteral("\\d"), QStringLiteral("Class"), QStringLiteral("Ports"));
    tree->setText(keypath::DeviceTree + QStringLiteral("\\d"), QStringLiteral("FriendlyName"),
                  QStringLiteral("Shared (COM4)"));
    PortEnumerator::setSharedSource(tree);
    QStringList out;
    PortEnumerator::shared().ListSerialPorts(out);
    EXPECT_EQ(out, QStringList{"-Shared (COM4);"});
    PortEnumerator::setSharedSource(nullptr);
    EXPECT_NE(&PortEnumerator::shared().source(), tree.get());
}

TEST(KeyTreeSource, FiveOperations) {
    MemoryKeySource tree;
    tree.setText(QStringLiteral("\\A\\B"), QStringLiteral("v2"), QStringLiteral("two"));
    tree.setText(QStringLiteral("\\A\\B"), QStringLiteral("v1"), QStringLiteral("one"));
    tree.setNonText(QStringLiteral("\\A\\B"), QStringLiteral("bin"));
    tree.addKey(QStringLiteral("\\A\\Z"));
    tree.addKey(QStringLiteral("\\A\\C"));

    EXPECT_TRUE(tree.keyExists(QStringLiteral("\\A\\B")));
    EXPECT_TRUE(tree.keyExists(QStringLiteral("A\\\\B\\"))); // separators are not levels
    EXPECT_FALSE(tree.keyExists(QStringLiteral("\\a\\b")));  // case-sensitive
    const PortKey a = tree.openKey(QStringLiteral("\\A"));
    EXPECT_EQ(tree.subkeyNames(a), (QStringList{"B", "Z", "C"})); // the order the source gives
    const PortKey b = tree.openKey(QStringLiteral("\\A\\B"));
    EXPECT_EQ(tree.valueNames(b), (QStringList{"v2", "v1", "bin"}));
    EXPECT_EQ(tree.readText(b, QStringLiteral("v1")), QStringLiteral("one"));
    EXPECT_EQ(tree.readText(b, QStringLiteral("bin")), QString());
    EXPECT_EQ(tree.readText(b, QStringLiteral("missing")), QString());

    const PortKey missing = tree.openKey(QStringLiteral("\\A\\Nothing"));
    EXPECT_TRUE(missing.isEmpty());
    EXPECT_TRUE(tree.subkeyNames(missing).isEmpty());
    EXPECT_TRUE(tree.valueNames(missing).isEmpty());
    EXPECT_EQ(tree.readText(missing, QStringLiteral("v1")), QString());

    tree.removeValue(QStringLiteral("\\A\\B"), QStringLiteral("v2"));
    tree.removeKey(QStringLiteral("\\A\\Z"));
    EXPECT_EQ(tree.valueNames(tree.openKey(QStringLiteral("\\A\\B"))), (QStringList{"v1", "bin"}));
    EXPECT_EQ(tree.subkeyNames(tree.openKey(QStringLiteral("\\A"))), (QStringList{"B", "C"}));
}
