#include "flows/reveal_flow.h"

#include "engine/hide_reveal.h"
#include "flows/hide_checks.h"
#include "imaging/bitmap_file_picture.h"

namespace vm {

Result<void> RevealFlow::check(std::u32string_view password) {
    m_checked = false;
    if (!m_area.loaded) return failure(kLoadFirst, RevealProblem::NoPicture);
    if (const Result<std::int32_t> seed = seedFor(password); !seed) return seed.why();
    m_password = password;
    m_checked = true;
    return {};
}

Result<void> RevealFlow::read() {
    m_reading = {};
    if (!m_checked) return failure(kLoadFirst, RevealProblem::NoPicture);
    PasswordReading reading = revealWithPassword(m_password, m_canvas, m_area, m_generator);
    if (const PictureRef& picture = m_canvas.picture())
        if (Result<void> whole = checkReadWhole(*picture); !whole) return whole;
    m_reading = std::move(reading);
    return {};
}

}  // namespace vm
