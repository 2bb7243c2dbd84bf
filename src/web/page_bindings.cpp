// What the page's script calls: plain C functions over one WebForm. Text comes in
// as UTF-32 (the script writes code points, so nothing is lost on the way) and
// goes out as UTF-8; picture bytes are written by the script straight into a
// buffer the module hands out, so no picture is copied twice.

#include <emscripten/emscripten.h>

#include <exception>
#include <new>
#include <string>

#include "engine/sealed_field.h"
#include "imaging/picture_refusals.h"
#include "platform/user_messages.h"
#include "platform/utf8.h"
#include "web/web_form.h"
#include "web/ycbcr_planes_picture.h"

namespace {

using vm::web::Bytes;
using vm::web::ChannelOrder;
using vm::web::ChromaHalving;
using vm::web::Tab;
using vm::web::Turn;
using vm::web::WebForm;
using vm::web::YCbCrPlanesPicture;

WebForm& form() {
    static WebForm instance;
    return instance;
}

Bytes& pending() {
    static Bytes bytes;
    return bytes;
}
std::size_t& pendingSize() {
    static std::size_t size = 0;
    return size;
}

// The password (0) and message (1) boxes as the script last wrote them.
std::u32string& textIn(int which) {
    static std::u32string boxes[2];
    return boxes[which == 1 ? 1 : 0];
}

std::string& textOut() {
    static std::string text;
    return text;
}

Tab tabOf(int tab) {
    return tab == 1 ? Tab::Decrypt : Tab::Encrypt;
}

vm::Sealing sealing(int seal) {
    return seal == 1 ? vm::Sealing::On : vm::Sealing::Off;
}

// Nothing the form does should throw this far; if it does, the command stops with
// the window's sentence and the page goes on.
template <class Handler>
int guarded(Handler handler) {
    try {
        return handler();
    } catch (const std::exception& e) {
        form().refuse(std::string(vm::kCommandUnfinished) + e.what());
        return -1;
    }
}

}  // namespace

extern "C" {

// A buffer of size bytes for the next picture, or null when memory is short.
EMSCRIPTEN_KEEPALIVE std::uint8_t* vm_buffer(std::size_t size) {
    pending().reset(new (std::nothrow) std::uint8_t[size == 0 ? 1 : size]);
    pendingSize() = pending() ? size : 0;
    return pending().get();
}

// 0 opened, 1 refused (see the box), 2 for the browser's decoders.
EMSCRIPTEN_KEEPALIVE int vm_open_file(int tab, const char* name, std::size_t size) {
    return guarded([&] {
        return static_cast<int>(form().openFile(tabOf(tab), name, std::move(pending()), size));
    });
}

// Below, width and height are the picture's as stored, and it is shown turned
// clockwise by `degrees`, then mirrored when `mirrored` is 1 (its EXIF orientation,
// as the browser's decoder reports it). Each returns 1 when opened, 0 when the
// values do not fit the buffer vm_buffer last handed out (nothing is opened).

// The buffer holds width x height points a browser decoder gave, four bytes each:
// red first (RGBA, RGBX) when blueFirst is 0, else blue first (BGRA, BGRX).
EMSCRIPTEN_KEEPALIVE int vm_open_decoded(int tab, std::int32_t width, std::int32_t height,
                                         int blueFirst, std::int32_t degrees, int mirrored) {
    const Turn turn{degrees, mirrored != 0};
    if (!pending() || width <= 0 || height <= 0 || !turn.valid() ||
        std::uint64_t{4} * static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) !=
            pendingSize())
        return 0;
    return guarded([&] {
        form().openDecoded(tabOf(tab), width, height, std::move(pending()),
                           blueFirst != 0 ? ChannelOrder::BlueFirst : ChannelOrder::RedFirst, turn);
        return 1;
    });
}

// The buffer holds a JPEG's planes as the browser's decoder left them: Y, then Cb
// and Cr, rows packed; halving 0 (4:4:4), 1 (4:2:2) or 2 (4:2:0).
EMSCRIPTEN_KEEPALIVE int vm_open_planes(int tab, std::int32_t width, std::int32_t height,
                                        int halving, std::int32_t degrees, int mirrored) {
    const Turn turn{degrees, mirrored != 0};
    if (!pending() || width <= 0 || height <= 0 || halving < 0 || halving > 2 || !turn.valid())
        return 0;
    const auto how = static_cast<ChromaHalving>(halving);
    if (YCbCrPlanesPicture::planesSize(width, height, how) != pendingSize()) return 0;
    return guarded([&] {
        form().openPlanes(tabOf(tab), width, height, std::move(pending()), how, turn);
        return 1;
    });
}

// The page could not open the picture in `name`: why is 0 when it is not a
// picture, 1 when it is damaged, 2 when memory is short, 3 when it is empty. The box
// says so in the desktop's words.
EMSCRIPTEN_KEEPALIVE void vm_refuse_picture(int why, const char* name) {
    const std::string file(name);
    const vm::PictureRefusals refuse{file};
    const vm::Failure said = why == 1   ? refuse.damaged()
                             : why == 2 ? refuse.noMemory()
                             : why == 3 ? refuse.empty()
                                        : refuse.notAPicture();
    form().refuse(said.message);
}

// The picture in `name` claims width x height points, more than the page can hold:
// the box says so in the desktop's words, with its size.
EMSCRIPTEN_KEEPALIVE void vm_refuse_too_large(const char* name, double width, double height) {
    const std::string file(name);
    form().refuse(
        vm::PictureRefusals{file}
            .tooLarge(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height))
            .message);
}

// Room for the password (0) or message (1) as length code points.
EMSCRIPTEN_KEEPALIVE char32_t* vm_text_in(int which, std::size_t length) {
    std::u32string& text = textIn(which);
    text.assign(length, U'\0');
    return text.data();
}

// 0 ready, 1 refused, 2 ask (see the box); seal 1 for a sealed hide.
EMSCRIPTEN_KEEPALIVE int vm_check_hide(int seal) {
    return guarded(
        [&] { return static_cast<int>(form().checkHide(textIn(0), textIn(1), sealing(seal))); });
}

// 1 when vm_saved() holds the new bitmap, 0 refused (see the box).
EMSCRIPTEN_KEEPALIVE int vm_hide(const char* name, int seal) {
    return guarded([&] {
        return form().hide(textIn(0), textIn(1), name, sealing(seal)) ==
                       vm::web::WebForm::Hide::Done
                   ? 1
                   : 0;
    });
}

// 1 done (see vm_revealed), 0 refused (see the box), 2 done and a sealed message
// stays closed (see vm_revealed and the box); the password is box 0.
EMSCRIPTEN_KEEPALIVE int vm_reveal() {
    return guarded([] {
        switch (form().reveal(textIn(0))) {
            case vm::web::WebForm::Reveal::Done:
                return 1;
            case vm::web::WebForm::Reveal::Told:
                return 2;
            default:
                return 0;
        }
    });
}

EMSCRIPTEN_KEEPALIVE const char* vm_revealed() {
    textOut() = vm::toUtf8(form().revealedMessage());
    return textOut().c_str();
}

// The message box (1) sealed with the password box (0) under a fresh salt, as the
// field's 252 bytes in hex; empty when refused (see the box).
EMSCRIPTEN_KEEPALIVE const char* vm_seal_field() {
    textOut().clear();
    guarded([] {
        const vm::Result<std::string> field = vm::sealText(textIn(0), textIn(1));
        if (!field) form().refuse(field.error());
        static constexpr char kDigits[] = "0123456789abcdef";
        for (const char byte : field ? *field : std::string()) {
            const auto value = static_cast<std::uint8_t>(byte);
            textOut() += {kDigits[value >> 4], kDigits[value & 0xF]};
        }
        return 0;
    });
    return textOut().c_str();
}

// Opens a field given in hex with the password box: 0 opened (see vm_revealed_field),
// otherwise the kind of the refusal (see the box).
EMSCRIPTEN_KEEPALIVE int vm_open_field(const char* hex) {
    return guarded([&] {
        std::string field;
        for (const char* at = hex; at[0] != '\0' && at[1] != '\0'; at += 2)
            field.push_back(static_cast<char>(std::stoi(std::string(at, 2), nullptr, 16)));
        const vm::Result<std::u32string> text = vm::openField(textIn(0), field);
        textOut() = text ? vm::toUtf8(*text) : std::string();
        if (!text) form().refuse(text.error());
        const std::optional<vm::SealProblem> why = text.kind().as<vm::SealProblem>();
        return text ? 0 : why ? static_cast<int>(*why) : -1;
    });
}
EMSCRIPTEN_KEEPALIVE const char* vm_revealed_field() {
    return textOut().c_str();
}

EMSCRIPTEN_KEEPALIVE const char* vm_box_text() {
    return form().box().text.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* vm_box_title() {
    return form().box().title.c_str();
}
EMSCRIPTEN_KEEPALIVE int vm_box_critical() {
    return form().box().critical ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* vm_saved() {
    return form().saved();
}
EMSCRIPTEN_KEEPALIVE std::size_t vm_saved_size() {
    return form().savedSize();
}
EMSCRIPTEN_KEEPALIVE void vm_release_saved() {
    form().releaseSaved();
}

EMSCRIPTEN_KEEPALIVE void vm_clear() {
    form().clear();
    pending().reset();
}

}  // extern "C"
