#pragma once
// The page's state and handlers: the two canvases, the working area and the
// generator, as the window's model holds them, opening, hiding and revealing through
// the same OpenFlow, HideFlow and RevealFlow, so with the same checks and sentences.
// The page copies its boxes' text in (a line break already as CR LF), shows the box()
// a handler leaves, and offers saved() as a download. Opening a picture takes bytes
// the page read, or points its browser decoded; saving makes the bitmap in memory
// and reads the message back from it before it is offered.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/random_source.h"
#include "flows/hide_flow.h"
#include "imaging/canvas.h"
#include "imaging/working_area.h"
#include "web/memory_pictures.h"
#include "web/turned_picture.h"
#include "web/ycbcr_planes_picture.h"

namespace vm::web {

enum class Tab { Encrypt, Decrypt };

// A message box for the page to show: its text, its title, and whether it bears
// the critical icon.
struct Box {
    std::string text;
    std::string title;
    bool critical = false;
};

class WebForm {
  public:
    enum class Opened { Done, Refused, ForBrowser };
    // A file's bytes: a plain bitmap opens here; a bitmap the desktop refuses is
    // refused with its sentence; anything else is for the browser's decoders.
    Opened openFile(Tab tab, const std::string& name, Bytes bytes, std::size_t size);
    // Points a browser decoder gave (four bytes each, top row first), as stored and
    // to be shown with `turn`.
    void openDecoded(Tab tab, std::int32_t width, std::int32_t height, Bytes points,
                     ChannelOrder order, Turn turn);
    // A JPEG's luma and chroma planes, as YCbCrPlanesPicture takes them.
    void openPlanes(Tab tab, std::int32_t width, std::int32_t height, Bytes planes,
                    ChromaHalving halving, Turn turn);

    // Encrypt in two calls, so that the page can ask in between. The first runs the
    // hide's check and question: what stands in the way (Refused, with box()), a
    // question to put (Ask, with box()), or nothing.
    // Sealing, it derives no key: only the hide does.
    enum class Check { Ready, Refused, Ask };
    Check checkHide(std::u32string_view password, std::u32string_view message, Sealing sealing);
    // The rest: checks again (the texts come in again), hides, commits, writes the
    // bitmap for `name` and reads it back: Done with saved(), or Refused with box()
    // when it is refused or does not read back.
    enum class Hide { Done, Refused };
    Hide hide(std::u32string_view password, std::u32string_view message, const std::string& name,
              Sealing sealing);
    // Decrypt, as the window's: the sealed message the password opens, else the plain
    // one at its own slots, else empty. Refused: Refused with box(). A sealed message
    // that stays closed: Told, with box() saying why, beside what was read.
    enum class Reveal { Done, Refused, Told };
    Reveal reveal(std::u32string_view password);
    void clear();

    const Box& box() const { return m_box; }
    // An error box, titled as every error box is.
    void refuse(std::string why);
    const std::u32string& revealedMessage() const { return m_revealed; }
    // The last bitmap written, and its size in bytes; released by releaseSaved().
    const std::uint8_t* saved() const { return m_saved.data(); }
    std::size_t savedSize() const { return m_saved.size(); }
    void releaseSaved();

  private:
    Canvas& canvas(Tab tab) { return tab == Tab::Encrypt ? m_encrypt : m_decrypt; }

    Canvas m_encrypt, m_decrypt;
    WorkingArea m_area;
    RandomSource m_generator;
    std::u32string m_revealed;
    Box m_box;
    std::vector<std::uint8_t> m_saved;
};

}  // namespace vm::web
