// The careful writer at the edges on Linux: targets that are not files (pipes, sockets, device nodes), the
// temporaries of killed saves (locked while in use), and root working in another user's home.
#include "common/FileIO.h"
#include "common/Errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace vantrel;

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

mode_t typeOf(const QString& path) {
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

bool makeSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = native(path);
    if (fd < 0 || name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::copy(name.begin(), name.end(), address.sun_path);
    const bool made = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return made;
}

} // namespace

TEST(CarefulWriter, NeverReplacesWhatIsNotAFile) {
    QTemporaryDir dir;
    struct Row {
        const char* name;
        std::function<bool(const QString&)> make;
        bool rootOnly;
    };
    const Row rows[] = {
        {"fifo", [](const QString& p) { return ::mkfifo(native(p).constData(), 0600) == 0; }, false},
        {"socket", makeSocket, false},
        {"folder", [](const QString& p) { return QDir().mkdir(p); }, false},
        {"link-to-fifo",
         [&](const QString& p) {
             return ::mkfifo(native(dir.filePath("target-fifo")).constData(), 0600) == 0 &&
                    QFile::link(dir.filePath("target-fifo"), p);
         },
         false},
        // A device node of the test's own (the numbers of the null device): even a wrong writer could only
        // replace this copy, never the system's.
        {"device", [](const QString& p) { return ::mknod(native(p).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
         true},
    };
    for (const Row& row : rows) {
        if (row.rootOnly && ::geteuid() != 0)
            continue;
        const QString path = dir.filePath(QString::fromLatin1(row.name));
        ASSERT_TRUE(row.make(path)) << row.name;
        const mode_t before = typeOf(path);
        const std::optional<FileError> failed = writeFileAtomically(path, QByteArray(1088, 'x'));
        ASSERT_TRUE(failed.has_value()) << row.name;
        EXPECT_EQ(failed->stage, FileError::Stage::Create) << row.name;
        EXPECT_EQ(EInOutError::fromErrno(failed->err).message(), QStringLiteral("File access denied")) << row.name;
        EXPECT_NE(checkWritableTarget(path), 0) << row.name;
        EXPECT_EQ(typeOf(path), before) << row.name << " was replaced";
    }
    EXPECT_EQ(typeOf(dir.filePath("target-fifo")), mode_t(S_IFIFO));
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.tmp-*"}, QDir::AllEntries | QDir::System).isEmpty());
}

TEST(CarefulWriter, KeepsTakenNamesAndRemovesOnlyItsOwnStaleTemporaries) {
    QTemporaryDir dir;
    const QString target = dir.filePath("site.VT3");
    ASSERT_FALSE(writeFileAtomically(target, "first", ExistingFile::Keep).has_value());
    const std::optional<FileError> taken = writeFileAtomically(target, "second", ExistingFile::Keep);
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(taken->err, EEXIST);
    QFile kept(target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("first"));

    auto make = [&](const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write("left") == 4;
    };
    ASSERT_TRUE(make("site.VT3.tmp-a1B2c3"));  // a save killed on the way
    ASSERT_TRUE(make("site.VT3.tmp-Zz9Yy8"));  // a save running in another process right now
    ASSERT_TRUE(make("site.VT3.backup"));      // the user's own
    ASSERT_TRUE(make("other.VT3.tmp-q1w2e3")); // another file's
    const int running = ::open(native(dir.filePath("site.VT3.tmp-Zz9Yy8")).constData(), O_RDONLY);
    ASSERT_EQ(::flock(running, LOCK_EX), 0);
    ASSERT_FALSE(writeFileAtomically(target, "third").has_value());
    ::close(running);
    const QStringList left = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(left, (QStringList{"other.VT3.tmp-q1w2e3", "site.VT3", "site.VT3.backup", "site.VT3.tmp-Zz9Yy8"}));
}

// As root with HOME in another user's home (sudo -E): what the tool makes there stays that user's.
TEST(CarefulWriter, RootGivesWhatItMakesInAnotherUsersHomeToThatUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    QTemporaryDir dir;
    const QString home = dir.filePath("home");
    ASSERT_TRUE(QDir().mkdir(home));
    constexpr uid_t kUser = 4321;
    constexpr gid_t kGroup = 4322;
    ASSERT_EQ(::chown(native(home).constData(), kUser, kGroup), 0);
    const QByteArray previous = qgetenv("HOME");
    qputenv("HOME", native(home));
    const QString folder = home + "/.local/share/vantrel/backups";
    ASSERT_EQ(makeFolders(folder, true), 0);
    ASSERT_FALSE(writeFileAtomically(folder + "/b.VT3", "x").has_value());
    // Outside the home nothing is given away.
    ASSERT_FALSE(writeFileAtomically(dir.filePath("outside.VT3"), "x").has_value());
    qputenv("HOME", previous);
    for (const QString& made : {home + "/.local", home + "/.local/share", folder, folder + "/b.VT3"}) {
        struct stat st {};
        ASSERT_EQ(::stat(native(made).constData(), &st), 0) << made.toStdString();
        EXPECT_EQ(st.st_uid, kUser) << made.toStdString();
        EXPECT_EQ(st.st_gid, kGroup) << made.toStdString();
    }
    struct stat outside {};
    ASSERT_EQ(::stat(native(dir.filePath("outside.VT3")).constData(), &outside), 0);
    EXPECT_EQ(outside.st_uid, 0u);
}
