#pragma once

#include <string>

namespace kaldex {

/** Where the database file really lives: its backups, lock and side files go beside it. */
struct DatabaseLocation {
    std::string folder = ".";
    std::string name = "ba0";

    std::string path() const { return folder + "/" + name; }
};

/**
 * The database named on the command line: a file, a folder (its "ba0"), or
 * nothing ("ba0" in the working folder). Symbolic links are followed to the
 * real file, so that a database shared through a link keeps its backups
 * beside itself; a file that is not there yet is where it was named. The
 * folder is absolute. False, with errno set, when the links go round in a
 * loop or the working folder cannot be read.
 */
bool locateDatabase(const std::string &given, DatabaseLocation &location);

}  // namespace kaldex
