// A private port-link directory for one test: XDG_CONFIG_HOME points into a temporary directory for the
// object's lifetime, so COMn names resolve to links the test makes and never to the machine's own ports.
#pragma once

#include <QString>
#include <QTemporaryDir>

namespace vantrel::test {

class PortLinks {
public:
    PortLinks();
    ~PortLinks();

    // Makes COM<number> lead to target (replacing an earlier link).
    void link(int number, const QString& target);
    void unlink(int number);
    QString directory() const;

private:
    QTemporaryDir dir_;
    QByteArray oldConfigHome_;
    bool hadConfigHome_;
};

} // namespace vantrel::test
