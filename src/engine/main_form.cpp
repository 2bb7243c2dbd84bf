#include "engine/main_form.h"

#include "engine/hide_reveal.h"
#include "engine/open_flow.h"
#include "engine/save_flow.h"
#include "imaging/picture_saving.h"
#include "platform/checked.h"

namespace vm {

void MainForm::refuse(const std::string& why) {
    m_boxes.showMessage(why, vbCritical, std::string(kErrorTitle));
}

bool MainForm::openFile(const std::string& path, Canvas& canvas, PictureRef& preview) {
    const auto decode = [this, &path] { return decodePictureFile(path, m_decoder); };
    Result<PictureRef> loaded = m_runDecode ? m_runDecode(decode) : decode();
    if (!loaded) {
        refuse(loaded.error());
        return false;
    }
    placeOpenedPicture(loaded.take(), canvas, area);
    preview = canvas.picture();
    return true;
}

void MainForm::openWithDialog(Canvas& canvas, PictureRef& preview) {
    const std::string path = m_dialogs.showOpen({kOpenTitle, kOpenFilter, ""});
    if (!path.empty()) openFile(path, canvas, preview);
}

void MainForm::openOnEncrypt() {
    openWithDialog(encryptCanvas, encryptPreview);
}
void MainForm::openOnDecrypt() {
    openWithDialog(decryptCanvas, decryptPreview);
}

bool MainForm::dropOnEncrypt(const std::string& path) {
    return openFile(path, encryptCanvas, encryptPreview);
}
bool MainForm::dropOnDecrypt(const std::string& path) {
    return openFile(path, decryptCanvas, decryptPreview);
}

void MainForm::hideMessage() {
    const Result<HidePlan> plan = planHide(encryptCanvas, area, encryptPassword, message);
    if (!plan) {
        refuse(plan.error());
        return;
    }
    if (const std::optional<std::string> question = partOfPictureQuestion(encryptCanvas, area);
        question && !m_boxes.confirm(*question, kPartOfPictureTitle))
        return;
    const std::string path = chooseSaveFile(m_dialogs);
    if (path.empty()) return;
    if (const Result<void> hidden = hidePayload(*plan, encryptCanvas, area, generator); !hidden) {
        refuse(hidden.error());
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
