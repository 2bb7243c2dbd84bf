#include "engine/main_form.h"

#include "engine/engine_errors.h"
#include "engine/hide_reveal.h"
#include "imaging/image_saving.h"
#include "imaging/open_image.h"
#include "imaging/picture_file.h"
#include "platform/checked.h"

namespace vm {

void MainForm::refuse(const std::string& why) {
    m_boxes.MsgBox(why, vbCritical, std::string(kErrorTitle));
}

void MainForm::Command1_Click() {
    OpenImage(Picture1, Image1, area, m_dialogs, m_boxes);
}
void MainForm::Command4_Click() {
    OpenImage(Picture2, Image2, area, m_dialogs, m_boxes);
}

bool MainForm::dropOnEncrypt(const std::string& path) {
    return openImageFile(path, Picture1, Image1, area, m_boxes);
}
bool MainForm::dropOnDecrypt(const std::string& path) {
    return openImageFile(path, Picture2, Image2, area, m_boxes);
}

std::string MainForm::checkSavedFile(const std::string& staged, const std::string& path,
                                     std::int32_t seed) const {
    return readsBack(openPictureFile(staged).picture, seed, area, Text2) ? std::string()
                                                                         : unreadableSave(path);
}

void MainForm::Command2_Click() {
    if (!area.ImageLoaded) {
        refuse(kLoadFirst);
        return;
    }
    // Refuse what cannot work before asking for a file name, so nothing changes.
    if (!Picture1.Picture()) {
        refuse(
            "There is no picture on the Encrypt tab to hide the message in. Open one with "
            "Open Image on this tab.");
        return;
    }
    if (area.ImageWidth > Picture1.width() || area.ImageHeight > Picture1.height()) {
        refuse("The picture opened last (" + std::to_string(area.ImageWidth) + " x " +
               std::to_string(area.ImageHeight) +
               " points) is larger than the one on the Encrypt tab, so the message would not "
               "fit in it. Open the picture again on the Encrypt tab.");
        return;
    }
    const HidePlan plan = prepareHide(Text1, Text2, area);
    if (plan.refusal != Refusal::None) {
        refuse(plan.explanation);
        return;
    }
    const std::string path = ChooseSaveFile(m_dialogs);
    if (path.empty()) return;
    try {
        hidePayload(plan, Picture1, area, Generator);
    } catch (const SlotsExhausted&) {
        refuse(
            "The picture is too small for this message: not enough free colour values were "
            "found in it.");
        return;
    }
    CommitCanvas(Picture1);
    SaveCanvas(Picture1, path, m_boxes, [this, &plan, &path](const std::string& staged) {
        return checkSavedFile(staged, path, plan.seed);
    });
}

void MainForm::Command3_Click() {
    if (!area.ImageLoaded) {
        m_boxes.MsgBox(kLoadFirst, vbOKOnly);
        return;
    }
    const SeedResult seed = seedFor(Text4);
    if (seed.refusal != Refusal::None) {
        refuse(seed.explanation);
        return;
    }
    const Revealed revealed = revealPayload(seed.seed, Picture2, area, Generator);
    Text3 = revealed.found ? revealed.message : std::u32string();
}

void MainForm::cmdSave_Click() {
    if (!Picture1.Picture()) {
        refuse("There is no picture on the Encrypt tab to save. Open one with Open Image first.");
        return;
    }
    const std::string path = m_dialogs.ShowSave({kSaveTitle, kSaveOnlyBitmapFilter, kDefaultExt});
    if (path.empty()) return;
    const std::string error = SavePicture(*Picture1.Picture(), path);
    if (!error.empty()) refuse(error);
}

void MainForm::mnuClear_Click() {
    area.ImageLoaded = false;
    Picture1.setPicture(nullptr);
    Image1.reset();
    Picture2.setPicture(nullptr);
    Image2.reset();
    Text1.clear();
    Text2.clear();
    Text3.clear();
    Text4.clear();
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
