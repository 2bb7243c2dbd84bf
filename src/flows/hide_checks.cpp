#include "flows/hide_checks.h"

namespace vm {

Result<void> checkPictures(const Canvas& encrypt, const WorkingArea& area) {
    if (!area.loaded) return failure(kLoadFirst);
    // Refuse what cannot work before asking for a file name, so nothing changes.
    if (!encrypt.picture())
        return failure(
            "There is no picture on the Encrypt tab to hide the message in. Open one with "
            "Open Image on this tab.");
    if (area.width > encrypt.width() || area.height > encrypt.height())
        return failure("The picture opened last (" + std::to_string(area.width) + " x " +
                       std::to_string(area.height) +
                       " points) is larger than the one on the Encrypt tab, so the message "
                       "would not fit in it. Open the picture again on the Encrypt tab.");
    return {};
}

std::optional<std::string> partOfPictureQuestion(const Canvas& encrypt, const WorkingArea& area) {
    const std::int32_t width = encrypt.width(), height = encrypt.height();
    if (area.width == width && area.height == height) return std::nullopt;
    // Only a picture opened on the Decrypt tab after this one can have left the area
    // smaller, so the warning can say where it came from.
    const std::string areaSize =
        std::to_string(area.width) + " x " + std::to_string(area.height) + " pixels";
    const std::string pictureSize =
        std::to_string(width) + " x " + std::to_string(height) + " pixels";
    return "This picture is " + pictureSize + ", but the message will be hidden only in its " +
           "top-left " + areaSize + ", because the picture you opened on the Decrypt tab " +
           "after it is that size.\n\nIf you go on, Decrypt will find the message in the "
           "saved picture only when the last picture you opened before clicking Decrypt is "
           "also " +
           areaSize +
           ". Opening the saved picture alone will not be enough.\n\nTo hide the "
           "message in the whole picture instead, click Cancel, open this picture again on "
           "the Encrypt tab, and click Encrypt.";
}

}  // namespace vm
