#pragma once
// A main form driven as the window drives it, with the user's side scripted:
// dialogs answer from a queue, message boxes are recorded.

#include <string>

#include "flows/window_model.h"
#include "imaging/picture_saving.h"
#include "support/scripted_platform.h"
#include "support/test_pictures.h"

namespace vm::test {

class FormSession {
  public:
    // Saves a patterned picture of that size in the session's folder; returns its path.
    std::string cover(int w, int h, const std::string& name, int salt = 0) {
        const std::string path = dir.file(name);
        if (!savePicture(*patternPicture(w, h, salt), path)) return {};
        return path;
    }
    void openEncrypt(const std::string& path) {
        ui.answer(path);
        form.openOnEncrypt();
    }
    void openDecrypt(const std::string& path) {
        ui.answer(path);
        form.openOnDecrypt();
    }
    // Clicks Encrypt and answers the save dialog with saveAs ("" cancels). Returns the
    // saved path when the save was confirmed, otherwise the empty text.
    std::string hide(const std::string& saveAs) {
        const std::size_t boxes = ui.boxes.size();
        ui.answer(saveAs);
        form.hideMessage();
        ui.answers.clear();  // a refused hide never reads its answer
        const std::string saved = withDefaultExtension(saveAs, ".bmp");
        // A confirmation asked on the way does not count as something said.
        std::size_t said = 0;
        for (std::size_t i = boxes; i < ui.boxes.size(); ++i)
            said += ui.boxes[i].code != kConfirmCode;
        const bool confirmed = said == 1 && ui.boxes.back().prompt == "Image saved to " + saved;
        return confirmed ? saved : std::string();
    }

    TempDir dir;
    ScriptedPlatform ui;
    WindowModel form{ui, ui, ui.decoder};
};

}  // namespace vm::test
