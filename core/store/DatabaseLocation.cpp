#include "core/store/DatabaseLocation.h"

#include "core/store/DatabaseFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace kaldex {

namespace {

bool absolute(std::string &path)
{
    if (!path.empty() && path[0] == '/')
        return true;
    char here[PATH_MAX];
    if (!::getcwd(here, sizeof here))
        return false;
    path = path.empty() || path == "." ? std::string(here) : std::string(here) + "/" + path;
    return true;
}

}  // namespace

bool locateDatabase(const std::string &given, DatabaseLocation &location)
{
    std::string path = given.empty() ? std::string("ba0") : given;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        path += "/ba0";
    std::string real;
    if (!absolute(path) || !resolveLinks(path, real))
        return false;
    const size_t slash = real.find_last_of('/');
    location.folder = slash == 0 ? std::string("/") : real.substr(0, slash);
    location.name = real.substr(slash + 1);
    // The folder without "..", so that messages name it plainly.
    char canonical[PATH_MAX];
    if (::realpath(location.folder.c_str(), canonical))
        location.folder = canonical;
    return true;
}

}  // namespace kaldex
