#include "tools/sim/PortLink.h"

#include "serial/PortNames.h"
#include "tools/sim/ModuleMemory.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vantrel::sim {

namespace fs = std::filesystem;

PortLink::PortLink(int number, const std::string& target) : target_(target) {
    const std::string directory = portLinkDirectory().toLocal8Bit().toStdString();
    path_ = directory + "/COM" + std::to_string(number);
    std::error_code error;
    fs::create_directories(directory, error);
    if (error)
        throw SimError("cannot make the port link directory " + directory + ": " + error.message());

    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode))
            throw SimError(path_ + " exists and is no link; remove it or choose another port number");
        const fs::path leadsTo = fs::read_symlink(path_, error);
        if (fs::exists(path_, error))
            throw SimError(path_ + " already leads to " + leadsTo.string() +
                           " (another simulator?); remove the link if it is stale or choose another port number");
        ::unlink(path_.c_str()); // dangling: left behind by a run that could not clean up
    }
    if (::symlink(target.c_str(), path_.c_str()) != 0)
        throw SimError("cannot make the port link " + path_ + ": " + systemText(errno));
}

PortLink::~PortLink() {
    std::error_code error;
    if (fs::read_symlink(path_, error) == fs::path(target_) && !error)
        ::unlink(path_.c_str());
}

} // namespace vantrel::sim
