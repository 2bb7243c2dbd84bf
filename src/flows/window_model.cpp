#include "flows/window_model.h"

#include "flows/hide_flow.h"
#include "flows/open_flow.h"
#include "flows/reveal_flow.h"
#include "flows/save_flow.h"
#include "imaging/picture_saving.h"

namespace vm {

void WindowModel::refuse(const std::string& why) {
    m_boxes.showMessage(why, vbCritical, std::string(kErrorTitle));
}

void WindowModel::runSlow(const std::function<void()>& work) {
    if (m_runSlow)
        m_runSlow(work);
    else
        work();
}

void WindowModel::openFile(const std::string& path, Canvas& canvas, PictureRef& preview) {
    std::optional<Result<PictureRef>> read;
    runSlow([this, &path, &read] {
        read.emplace(OpenFlow::read(path, m_decoder, OpenFlow::Reading::Whole));
    });
    const Result<void> opened = OpenFlow(canvas, area, &preview).open(std::move(*read));
    if (!opened) refuse(opened.error());
}

void WindowModel::openWithDialog(Canvas& canvas, PictureRef& preview) {
    const std::string path = m_dialogs.showOpen({kOpenTitle, kOpenFilter, ""});
    if (!path.empty()) openFile(path, canvas, preview);
}

void WindowModel::openOnEncrypt() {
    openWithDialog(encryptCanvas, encryptPreview);
}
void WindowModel::openOnDecrypt() {
    openWithDialog(decryptCanvas, decryptPreview);
}

void WindowModel::dropOnEncrypt(const std::string& path) {
    openFile(path, encryptCanvas, encryptPreview);
}
void WindowModel::dropOnDecrypt(const std::string& path) {
    openFile(path, decryptCanvas, decryptPreview);
}

void WindowModel::hideMessage() {
    HideFlow flow(encryptCanvas, area, generator, sealing ? Sealing::On : Sealing::Off);
    // Sealing, the check derives the key: a moment the window shows as busy.
    std::optional<Result<void>> checked;
    runSlow([this, &flow, &checked] { checked.emplace(flow.check(encryptPassword, message)); });
    if (!*checked) {
        refuse(checked->error());
        return;
    }
    if (const std::optional<std::string> question = flow.question();
        question && !m_boxes.confirm(*question, kPartOfPictureTitle))
        return;
    const std::string path = chooseSaveFile(m_dialogs);
    if (path.empty()) return;
    if (const Result<void> written = flow.write(); !written) {
        refuse(written.error());
        return;
    }
    if (const Result<void> saved = flow.save(path, m_saveFaults); !saved) {
        refuse(saved.error());
        return;
    }
    m_boxes.showMessage(kSavedPrompt + path, vbOKOnly, std::string(kSavedTitle));
}

void WindowModel::revealMessage() {
    RevealFlow flow(decryptCanvas, area, generator);
    if (const Result<void> checked = flow.check(decryptPassword); !checked) {
        if (checked.kind() == RevealProblem::NoPicture)
            m_boxes.showMessage(checked.error(), vbOKOnly);
        else
            refuse(checked.error());
        return;
    }
    std::optional<Result<void>> read;
    runSlow([&flow, &read] { read.emplace(flow.read()); });
    if (!*read) {
        refuse(read->error());
        return;
    }
    // A wrong password empties the box, as it always has; a sealed message that stays
    // closed is said, or the user would take the emptied box for "nothing here".
    ShownReading shown = flow.shown();
    revealedMessage = std::move(shown.text);
    if (!shown.closedSentence.empty()) refuse(shown.closedSentence);
}

void WindowModel::saveEncryptPicture() {
    if (!encryptCanvas.picture()) {
        refuse("There is no picture on the Encrypt tab to save. Open one with Open Image first.");
        return;
    }
    const std::string path = m_dialogs.showSave({kSaveTitle, kSaveOnlyBitmapFilter, kDefaultExt});
    if (path.empty()) return;
    if (const Result<void> saved = savePicture(*encryptCanvas.picture(), path, {}, m_saveFaults);
        !saved)
        refuse(saved.error());
}

void WindowModel::clearAll() {
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
