#include "platform/user_messages.h"

#include <cerrno>
#include <cstring>

namespace vm {

std::string unreadableSave(const std::string& path) {
    return "The message could not be read back from the picture written for " + path +
           ", so nothing was saved there and any file of that name is as it was. Try again, or "
           "save to another place.";
}

std::string errnoWording(int err, FileAccess access) {
    const bool writing = access == FileAccess::Writing;
    switch (err) {
        case ENOENT:
            return writing ? "the folder does not exist" : "it does not exist";
        case EACCES:
        case EPERM:
            return "permission denied";
        case ENOSPC:
            return "the disk is full";
        case EDQUOT:
            return "the disk quota is exhausted";
        case EFBIG:
            return "the file would pass the size limit for files";
        case EROFS:
            return "the file system is read-only";
        case ENODATA:
            return "its file was cut short or changed";
        case EISDIR:
            return writing ? "a folder has that name" : "it is a folder";
        case ENOTDIR:
            return "part of the path is not a folder";
        case ENAMETOOLONG:
            return "the name is too long";
        case ELOOP:
            return "it is a symbolic link that leads in a circle";
        case ETXTBSY:
            return "the file is a program that is running";
        default:
            return std::strerror(err);
    }
}

Failure cannotRead(const std::string& path, int err) {
    if (err == ENOENT) return failure("The file " + path + " does not exist.");
    return failure("The file " + path + " cannot be read: " + errnoWording(err) + ".");
}

}  // namespace vm
