// A pseudo-terminal pair for serial tests: the tool opens the terminal side by its path (usually through a
// port link), the test plays the module on the controlling side.
#pragma once

#include <QByteArray>
#include <QString>

namespace vantrel::test {

class PtyPair {
public:
    PtyPair();   // raw mode on both sides; throws std::runtime_error when no pair can be made
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    QString terminalPath() const { return path_; }
    int controlFd() const { return master_; }

    void write(const QByteArray& bytes);
    // Reads what has arrived within timeoutMs (stops early once `atLeast` bytes are in).
    QByteArray read(int timeoutMs, int atLeast = 1 << 30);
    // Bytes written to the terminal side that its reader has not taken yet.
    int terminalQueued() const;
    // Closes the controlling side: the terminal side sees the device vanish.
    void closeControl();

private:
    int master_ = -1;
    int slave_ = -1; // held open so the terminal keeps its settings until the tool opens it
    QString path_;
};

} // namespace vantrel::test
