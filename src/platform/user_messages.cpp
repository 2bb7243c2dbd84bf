#include "platform/user_messages.h"

#include <cerrno>
#include <cstring>

namespace vm {

std::string readBackFailed(const std::string& path) {
    return "The picture was written to " + path +
           ", but the message could not be read back from it. Save again, or choose another "
           "place.";
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
