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
#include "platform/file_replacement.h"

namespace vm {

inline constexpr std::size_t kMessageBoxLimit = 160;  // characters the user can type

// Runs work that may take a while (decoding a chosen picture, deriving a sealed
// message's key) and returns when it is done. The window runs it off its own thread,
// busy, and keeps the user's hands off meanwhile; the work changes nothing the
// window shows until it has returned.
using SlowRunner = std::function<void(const std::function<void()>& work)>;

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

    // How decoding and key derivation run (see SlowRunner); in place by default.
    void setSlowRunner(SlowRunner run) { m_runSlow = std::move(run); }
    // Faults the saves meet, for a test of what the user is told then.
    void setSaveFaults(ReplacementFaults faults) { m_saveFaults = std::move(faults); }

    // A picture dropped on a tab opens as Open Image would.
    void dropOnEncrypt(const std::string& path);
    void dropOnDecrypt(const std::string& path);

    // The four text boxes; a line break is CR LF, two characters.
    std::u32string encryptPassword, message;
    std::u32string revealedMessage, decryptPassword;
    // The pictures each tab works on, and what its preview shows.
    Canvas encryptCanvas, decryptCanvas;
    PictureRef encryptPreview, decryptPreview;
    WorkingArea area;
    RandomSource generator;
    // File > Seal: Encrypt seals the message with its password instead of only
    // hiding it. Off at start and never kept: each run starts plain.
    bool sealing = false;

  private:
    // Asks for a picture for this tab and opens it; opens a file chosen otherwise.
    void openWithDialog(Canvas& canvas, PictureRef& preview);
    void openFile(const std::string& path, Canvas& canvas, PictureRef& preview);
    void refuse(const std::string& why);
    void runSlow(const std::function<void()>& work);

    MessageBoxes& m_boxes;
    FileDialogs& m_dialogs;
    PictureDecoder& m_decoder;
    SlowRunner m_runSlow;
    ReplacementFaults m_saveFaults;
};

// CR LF <-> the single line break a text widget shows.
std::u32string toCrLf(std::u32string_view text);
std::u32string fromCrLf(std::u32string_view text);

}  // namespace vm
