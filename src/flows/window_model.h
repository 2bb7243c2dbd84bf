#pragma once
// The main window's model: its state and handlers, without the window: the two canvases and
// previews, the four text boxes, the working area and the generator. The window
// (or a test) owns one, copies the boxes' text in before a handler runs and
// shows what changed afterwards. Messages, dialogs and the picture decoders go
// through the interfaces given at construction.

#include <functional>
#include <string>

#include "engine/random_source.h"
#include "flows/file_dialogs.h"
#include "flows/hide_checks.h"
#include "flows/message_box.h"
#include "imaging/canvas.h"
#include "imaging/picture_reader.h"
#include "imaging/working_area.h"

namespace vm {

inline constexpr std::size_t kMessageBoxLimit = 160;  // characters the user can type

// Runs the decoding of a chosen picture and returns what it gave. The window runs it
// off its own thread and keeps the user's hands off meanwhile; nothing is changed
// until it has returned, so a failed decode changes nothing.
using DecodeRunner =
    std::function<Result<PictureRef>(const std::function<Result<PictureRef>()>& decode)>;

class WindowModel {
  public:
    WindowModel(MessageBoxes& boxes, FileDialogs& dialogs, PictureDecoder& decoder)
        : m_boxes(boxes), m_dialogs(dialogs), m_decoder(decoder) {}

    // The buttons and menu items of the window, one handler each.
    void openOnEncrypt();       // Open Image on the Encrypt tab
    void hideMessage();         // Encrypt: hides the message and saves the picture
    void revealMessage();       // Decrypt: reads the message back
    void openOnDecrypt();       // Open Image on the Decrypt tab
    void saveEncryptPicture();  // Alt+S: saves the Encrypt tab's picture as it is
    void clearAll();            // File > Clear: both tabs as at start

    // How opening a picture runs its decoding (see DecodeRunner); in place by default.
    void setDecodeRunner(DecodeRunner run) { m_runDecode = std::move(run); }

    // A picture dropped on a tab opens as Open Image would.
    bool dropOnEncrypt(const std::string& path);
    bool dropOnDecrypt(const std::string& path);

    // The four text boxes; a line break is CR LF, two characters.
    std::u32string encryptPassword, message;
    std::u32string revealedMessage, decryptPassword;
    // The pictures each tab works on, and what its preview shows.
    Canvas encryptCanvas, decryptCanvas;
    PictureRef encryptPreview, decryptPreview;
    WorkingArea area;
    RandomSource generator;

  private:
    // Asks for a picture for this tab and opens it; opens a file chosen otherwise.
    void openWithDialog(Canvas& canvas, PictureRef& preview);
    bool openFile(const std::string& path, Canvas& canvas, PictureRef& preview);
    void refuse(const std::string& why);

    MessageBoxes& m_boxes;
    FileDialogs& m_dialogs;
    PictureDecoder& m_decoder;
    DecodeRunner m_runDecode;
};

// CR LF <-> the single line break a text widget shows.
std::u32string toCrLf(std::u32string_view text);
std::u32string fromCrLf(std::u32string_view text);

}  // namespace vm
