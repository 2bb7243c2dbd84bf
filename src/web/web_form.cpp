#include "web/web_form.h"

#include "engine/sealed_payload.h"
#include "flows/hide_checks.h"
#include "flows/hide_flow.h"
#include "flows/open_flow.h"
#include "flows/reveal_flow.h"
#include "platform/compatibility_names.h"
#include "platform/user_messages.h"

namespace vm::web {

void WebForm::refuse(std::string why) {
    m_box = {std::move(why), kErrorTitle, true};
}

WebForm::Opened WebForm::openFile(Tab tab, const std::string& name, Bytes bytes, std::size_t size) {
    auto bitmap = BitmapBytesPicture::open(std::move(bytes), size, name);
    if (!bitmap && bitmap.kind() == kForBrowser) return Opened::ForBrowser;
    Result<PictureRef> read = bitmap ? Result<PictureRef>(bitmap.take()) : bitmap.why();
    if (const Result<void> opened = OpenFlow(canvas(tab), m_area).open(std::move(read)); !opened) {
        refuse(opened.error());
        return Opened::Refused;
    }
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
    OpenFlow(canvas(tab), m_area)
        .place(turned(
            std::make_shared<DecodedPointsPicture>(width, height, std::move(points), order), turn));
}

void WebForm::openPlanes(Tab tab, std::int32_t width, std::int32_t height, Bytes planes,
                         ChromaHalving halving, Turn turn) {
    OpenFlow(canvas(tab), m_area)
        .place(turned(
            std::make_shared<YCbCrPlanesPicture>(width, height, std::move(planes), halving), turn));
}

WebForm::Check WebForm::checkHide(std::u32string_view password, std::u32string_view message,
                                  Sealing sealing) {
    HideFlow flow(m_encrypt, m_area, m_generator, sealing);
    // A sealed hide's check derives the key; here only what refuses it is asked, and
    // the hide itself derives it once.
    Result<void> checked =
        sealing == Sealing::On ? checkPictures(m_encrypt, m_area) : flow.check(password, message);
    if (checked && sealing == Sealing::On) checked = checkSealedHide(password, message, m_area);
    if (!checked) {
        refuse(checked.error());
        return Check::Refused;
    }
    std::optional<std::string> question = flow.question();
    if (!question) return Check::Ready;
    m_box = {std::move(*question), kPartOfPictureTitle, false};
    return Check::Ask;
}

WebForm::Hide WebForm::hide(std::u32string_view password, std::u32string_view message,
                            const std::string& name, Sealing sealing) {
    // The texts come in again, so they are checked again; the page asked its
    // question after checkHide.
    HideFlow flow(m_encrypt, m_area, m_generator, sealing);
    Result<void> written = flow.check(password, message);
    if (written) written = flow.write();
    if (!written) {
        refuse(written.error());
        return Hide::Refused;
    }
    releaseSaved();
    Result<std::vector<std::uint8_t>> saved = flow.saveToMemory(name);
    if (!saved) {
        refuse(saved.error());
        return Hide::Refused;
    }
    m_saved = saved.take();
    return Hide::Done;
}

WebForm::Reveal WebForm::reveal(std::u32string_view password) {
    RevealFlow flow(m_decrypt, m_area, m_generator);
    Result<void> read = flow.check(password);
    if (read) read = flow.read();
    if (!read) {
        if (read.kind() == RevealProblem::NoPicture)
            m_box = {read.error(), kAppTitle, false};
        else
            refuse(read.error());
        return Reveal::Refused;
    }
    ShownReading shown = flow.shown();
    m_revealed = std::move(shown.text);
    if (shown.closedSentence.empty()) return Reveal::Done;
    refuse(std::move(shown.closedSentence));
    return Reveal::Told;
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
