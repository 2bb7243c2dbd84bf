#include "engine/main_form.h"

#include "engine/engine_errors.h"
#include "engine/hide_reveal.h"
#include "engine/save_flow.h"
#include "imaging/open_image.h"
#include "imaging/picture_saving.h"
#include "platform/checked.h"

namespace vm {

void MainForm::refuse(const std::string& why) {
    m_boxes.showMessage(why, vbCritical, std::string(kErrorTitle));
}

void MainForm::openOnEncrypt() {
    openImage(encryptCanvas, encryptPreview, area, m_dialogs, m_boxes, m_decoder);
}
void MainForm::openOnDecrypt() {
    openImage(decryptCanvas, decryptPreview, area, m_dialogs, m_boxes, m_decoder);
}

bool MainForm::dropOnEncrypt(const std::string& path) {
    return openImageFile(path, encryptCanvas, encryptPreview, area, m_boxes, m_decoder);
}
bool MainForm::dropOnDecrypt(const std::string& path) {
    return openImageFile(path, decryptCanvas, decryptPreview, area, m_boxes, m_decoder);
}

bool MainForm::acceptsSmallerArea() {
    const std::int32_t width = encryptCanvas.width(), height = encryptCanvas.height();
    if (area.width == width && area.height == height) return true;
    const std::string areaSize = std::to_string(area.width) + " x " + std::to_string(area.height);
    return m_boxes.confirm(
        "The message will be hidden in the top-left " + areaSize + " points of this " +
            std::to_string(width) + " x " + std::to_string(height) +
            " picture, because the picture opened last, on either tab, sets the size the "
            "message is spread over.\n\nThe saved picture will give the message back only "
            "where a picture of " +
            areaSize +
            " points was opened last before it is decrypted.\n\nTo use the whole picture, "
            "choose Cancel and open the picture again on the Encrypt tab.",
        kSavedTitle);
}

void MainForm::hideMessage() {
    if (!area.loaded) {
        refuse(kLoadFirst);
        return;
    }
    // Refuse what cannot work before asking for a file name, so nothing changes.
    if (!encryptCanvas.picture()) {
        refuse(
            "There is no picture on the Encrypt tab to hide the message in. Open one with "
            "Open Image on this tab.");
        return;
    }
    if (area.width > encryptCanvas.width() || area.height > encryptCanvas.height()) {
        refuse("The picture opened last (" + std::to_string(area.width) + " x " +
               std::to_string(area.height) +
               " points) is larger than the one on the Encrypt tab, so the message would not "
               "fit in it. Open the picture again on the Encrypt tab.");
        return;
    }
    const Result<HidePlan> plan = prepareHide(encryptPassword, message, area);
    if (!plan) {
        refuse(plan.error());
        return;
    }
    if (!acceptsSmallerArea()) return;
    const std::string path = chooseSaveFile(m_dialogs);
    if (path.empty()) return;
    try {
        hidePayload(*plan, encryptCanvas, area, generator);
    } catch (const SlotsExhausted&) {
        refuse(kNoFreeSlots);
        return;
    }
    commitCanvas(encryptCanvas);
    saveCanvas(encryptCanvas, path, m_boxes, [this, &plan, &path](const PictureRef& written) {
        return checkSavedPicture(written, path, plan->seed, area, message);
    });
}

void MainForm::revealMessage() {
    if (!area.loaded) {
        m_boxes.showMessage(kLoadFirst, vbOKOnly);
        return;
    }
    const Result<std::int32_t> seed = seedFor(decryptPassword);
    if (!seed) {
        refuse(seed.error());
        return;
    }
    const Revealed revealed = revealPayload(*seed, decryptCanvas, area, generator);
    revealedMessage = revealed.found ? revealed.message : std::u32string();
}

void MainForm::saveEncryptPicture() {
    if (!encryptCanvas.picture()) {
        refuse("There is no picture on the Encrypt tab to save. Open one with Open Image first.");
        return;
    }
    const std::string path = m_dialogs.showSave({kSaveTitle, kSaveOnlyBitmapFilter, kDefaultExt});
    if (path.empty()) return;
    if (const Result<void> saved = savePicture(*encryptCanvas.picture(), path); !saved)
        refuse(saved.error());
}

void MainForm::clearAll() {
    area.loaded = false;
    encryptCanvas.setPicture(nullptr);
    encryptPreview.reset();
    decryptCanvas.setPicture(nullptr);
    decryptPreview.reset();
    encryptPassword.clear();
    message.clear();
    revealedMessage.clear();
    decryptPassword.clear();
}

std::u32string toCrLf(std::u32string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\n' && (i == 0 || text[i - 1] != U'\r')) out.push_back(U'\r');
        out.push_back(text[i]);
    }
    return out;
}

std::u32string fromCrLf(std::u32string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') continue;
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace vm
