// The port link COMn that lets the tool find the simulator's terminal under a COM port name.
#pragma once

#include <string>

namespace vantrel::sim {

class PortLink {
public:
    // Makes portLinkDirectory()/COM<number> lead to target. A link left dangling by an earlier run is
    // replaced; a link that leads to something that exists, or a file of that name, is not touched.
    // Throws SimError.
    PortLink(int number, const std::string& target);
    // Removes the link, unless someone has since made it lead elsewhere.
    ~PortLink();
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string target_;
};

} // namespace vantrel::sim
