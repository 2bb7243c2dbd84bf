#include "web/web_form.h"

#include "engine/hide_checks.h"
#include "engine/hide_reveal.h"
#include "engine/message_box.h"
#include "engine/save_flow.h"
#include "imaging/picture_saving.h"
#include "platform/user_messages.h"

namespace vm::web {

void WebForm::refuse(std::string why) {
    m_box = {std::move(why), kErrorTitle, true};
}

WebForm::Opened WebForm::openFile(Tab tab, const std::string& name, Bytes bytes, std::size_t size) {
    auto opened = BitmapBytesPicture::open(std::move(bytes), size, name);
    if (!opened) {
        if (opened.kind() == kForBrowser) return Opened::ForBrowser;
        refuse(opened.error());
        return Opened::Refused;
    }
    placeOpenedPicture(opened.take(), canvas(tab), m_area);
    return Opened::Done;
}

namespace {
PictureRef turned(PictureRef stored, Turn turn) {
    if (turn.upright()) return stored;
    return std::make_shared<TurnedPicture>(std::move(stored), turn);
}
}  // namespace

void WebForm::openDecoded(Tab tab, std::int32_t width, std::int32_t height, Bytes points,
                          ChannelOrder order, Turn turn) {
    placeOpenedPicture(
        turned(std::make_shared<DecodedPointsPicture>(width, height, std::move(points), order),
               turn),
        canvas(tab), m_area);
}

void WebForm::openPlanes(Tab tab, std::int32_t width, std::int32_t height, Bytes planes,
                         ChromaHalving halving, Turn turn) {
    placeOpenedPicture(
        turned(std::make_shared<YCbCrPlanesPicture>(width, height, std::move(planes), halving),
               turn),
        canvas(tab), m_area);
}

// The checks, sentences and question of MainForm::hideMessage, up to its save dialog.
WebForm::Check WebForm::checkHide(std::u32string_view password, std::u32string_view message) {
    if (const Result<HidePlan> plan = planHide(m_encrypt, m_area, password, message); !plan) {
        refuse(plan.error());
        return Check::Refused;
    }
    std::optional<std::string> question = partOfPictureQuestion(m_encrypt, m_area);
    if (!question) return Check::Ready;
    m_box = {std::move(*question), kPartOfPictureTitle, false};
    return Check::Ask;
}

bool WebForm::hide(std::u32string_view password, std::u32string_view message,
                   const std::string& name) {
    const Result<HidePlan> plan = planHide(m_encrypt, m_area, password, message);
    if (!plan) {
        refuse(plan.error());
        return false;
    }
    if (const Result<void> hidden = hidePayload(*plan, m_encrypt, m_area, m_generator); !hidden) {
        refuse(hidden.error());
        return false;
    }
    commitCanvas(m_encrypt);
    releaseSaved();
    // Read back from the very bytes that will be offered, as the desktop reads a file
    // back before it takes its name.
    Result<std::vector<std::uint8_t>> saved =
        savePictureToMemory(*m_encrypt.picture(), name, [&](const PictureRef& written) {
            return checkSavedPicture(written, name, plan->seed, m_area, message);
        });
    if (!saved) {
        refuse(saved.error());
        return false;
    }
    m_saved = saved.take();
    return true;
}

bool WebForm::reveal(std::u32string_view password) {
    if (!m_area.loaded) {
        m_box = {kLoadFirst, kAppTitle, false};
        return false;
    }
    const Result<std::int32_t> seed = seedFor(password);
    if (!seed) {
        refuse(seed.error());
        return false;
    }
    const Revealed revealed = revealPayload(*seed, m_decrypt, m_area, m_generator);
    m_revealed = revealed.found ? revealed.message : std::u32string();
    return true;
}

void WebForm::clear() {
    m_area.loaded = false;
    m_encrypt.setPicture(nullptr);
    m_decrypt.setPicture(nullptr);
    m_revealed.clear();
    releaseSaved();
}

void WebForm::releaseSaved() {
    m_saved = {};
}

}  // namespace vm::web
