#include "platform/user_messages.h"

#include <cerrno>
#include <cstring>

namespace vm {

std::string unreadableSave(const std::string& path) {
    return "The message could not be read back from the picture written for " + path +
           ", so nothing was saved there and any file of that name is as it was. Try again, or "
           "save to another place.";
}

std::string errnoWording(int err) {
    switch (err) {
        case ENOENT:
            return "it does not exist";
        case EACCES:
        case EPERM:
            return "permission denied";
        case EISDIR:
            return "it is a folder";
        default:
            return std::strerror(err);
    }
}

Failure cannotRead(const std::string& path, int err) {
    if (err == ENOENT) return failure("The file " + path + " does not exist.");
    return failure("The file " + path + " cannot be read: " + errnoWording(err) + ".");
}

}  // namespace vm
