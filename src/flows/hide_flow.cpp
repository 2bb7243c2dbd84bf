#include "flows/hide_flow.h"

#include <stdexcept>

#include "engine/sealed_payload.h"
#include "flows/hide_checks.h"
#include "imaging/bitmap_file_picture.h"
#include "platform/user_messages.h"

namespace vm {

Result<HidePlan> HideFlow::makePlan(std::u32string_view password, std::u32string_view message,
                                    const WorkingArea& area) const {
    return m_sealing == Sealing::On ? prepareSealedHide(password, message, area)
                                    : prepareHide(password, message, area);
}

Result<void> HideFlow::checkTexts(std::u32string_view password, std::u32string_view message) const {
    const WorkingArea roomy{1 << 20, 1 << 20, true};
    if (m_sealing == Sealing::On) return checkSealedHide(password, message, roomy);
    if (const Result<HidePlan> plan = makePlan(password, message, roomy); !plan) return plan.why();
    return {};
}

Result<void> HideFlow::check(std::u32string_view password, std::u32string_view message) {
    m_plan.reset();
    if (Result<void> pictures = checkPictures(m_canvas, m_area); !pictures) return pictures;
    Result<HidePlan> plan = makePlan(password, message, m_area);
    if (!plan) return plan.why();
    m_plan = plan.take();
    return {};
}

std::optional<std::string> HideFlow::question() const {
    return partOfPictureQuestion(m_canvas, m_area);
}

const HidePlan& HideFlow::checkedPlan() const {
    if (!m_plan) throw std::logic_error("a hide was written before it was checked");
    return *m_plan;
}

Result<void> HideFlow::write() {
    if (Result<void> hidden = hidePayload(checkedPlan(), m_canvas, m_area, m_generator); !hidden)
        return hidden;
    // A bitmap read in place that changed meanwhile would be saved with rows it
    // never had: the written points are forgotten, and the canvas is as it was.
    if (Result<void> whole = checkReadWhole(*m_canvas.picture()); !whole) {
        m_canvas.setPicture(m_canvas.picture());
        return whole;
    }
    // The written points become a light layer over the picture as opened, which the
    // writer streams out row by row.
    m_canvas.setPicture(m_canvas.image());
    return {};
}

WrittenPictureCheck HideFlow::readBack(const std::string& target) const {
    return [this, target](const PictureRef& written) -> Result<void> {
        if (written) {
            Canvas canvas;
            canvas.setPicture(written);
            RandomSource generator;
            const HidePlan& plan = checkedPlan();
            if (revealPayloadBytes(plan.seed, canvas, m_area, generator) == plan.payload) return {};
        }
        return failure(unreadableSave(target));
    };
}

Result<void> HideFlow::save(const std::string& path, const ReplacementFaults& faults) const {
    return savePicture(*m_canvas.picture(), path, readBack(path), faults);
}

Result<std::vector<std::uint8_t>> HideFlow::saveToMemory(const std::string& name) const {
    return savePictureToMemory(*m_canvas.picture(), name, readBack(name));
}

}  // namespace vm
