// Opening whatever bytes a file holds, under whatever name. The first input byte
// picks the file name, the rest is the file. Whatever happens must end without a
// crash, and:
//  - when the decoder and the in-place bitmap reader both open the file, they
//    agree on the size and on every point;
//  - opening it on the Decrypt tab either gives that tab the picture, the working
//    area its size and the flag true, or tells the user (critical box, error
//    title, the file named) and leaves canvas, preview, area and flag exactly as
//    they were.
#include <QImageReader>
#include <QtGlobal>

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "flows/open_flow.h"
#include "flows/window_model.h"
#include "imaging/decoded_picture.h"
#include "imaging/picture_saving.h"
#include "imaging/png_chunks.h"
#include "imaging/qt_picture_decoder.h"
#include "platform/user_messages.h"

namespace {

// Names tried: content decides the format, so the extension must not matter.
constexpr const char* kNames[] = {"p.bmp",  "p.gif", "p.jpg", "p.png",   "p.BMP",
                                  "p.jpeg", "p",     "p.txt", "p q.gif", "p.tif"};

// Decoded pictures above this many points are not opened here, to keep each run
// quick. Sizes above the program's own limit are still opened, since those must
// be refused before anything is allocated.
constexpr std::uint64_t kMaxDecodedPoints = std::uint64_t{1} << 22;

}  // namespace

// The program allows a decoded picture half the machine's memory. A few bytes of
// GIF can describe a picture that large without the size the reader reports
// saying so, so the fuzzer runs as if on a machine of 1 GB: the program's limit
// is then its floor, 512 MB, which stays within the fuzzer's own memory limits.
extern "C" long __sysconf(int name) noexcept;  // glibc's
extern "C" long sysconf(int name) noexcept {
    if (name == _SC_PHYS_PAGES) return (1L << 30) / __sysconf(_SC_PAGESIZE);
    return __sysconf(name);
}

namespace {

class Recorder : public vm::MessageBoxes, public vm::FileDialogs {
  public:
    struct Box {
        std::string prompt;
        int code;
        std::optional<std::string> title;
    };
    void showMessage(const std::string& prompt, int code,
                     const std::optional<std::string>& title) override {
        boxes.push_back({prompt, code, title});
    }
    bool confirm(const std::string&, const std::string&) override { return false; }
    std::string showOpen(const vm::FileDialogRequest&) override { return {}; }
    std::string showSave(const vm::FileDialogRequest&) override { return {}; }
    std::vector<Box> boxes;
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "picture_open: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

std::string g_folder;
Recorder* g_ui = nullptr;
vm::QtPictureDecoder* g_decoder = nullptr;
vm::WindowModel* g_form = nullptr;
vm::PictureRef g_baseline;

void quietQt(QtMsgType, const QMessageLogContext&, const QString&) {}

// The Decrypt tab as a user left it: a small picture opened, the area its size.
void resetForm() {
    g_form->decryptCanvas.setPicture(g_baseline);
    g_form->decryptPreview = g_baseline;
    g_form->area = {g_baseline->width(), g_baseline->height(), true};
    g_ui->boxes.clear();
}

bool affordable(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid()) return true;
    const std::uint64_t points =
        static_cast<std::uint64_t>(size.width()) * static_cast<std::uint64_t>(size.height());
    return points <= kMaxDecodedPoints || points * 4 > vm::decodeMemoryLimit();
}

void expectSamePoints(const vm::Picture& a, const vm::Picture& b) {
    check(a.width() == b.width() && a.height() == b.height(), "the two readers disagree on size");
    std::vector<std::uint8_t> rowA(static_cast<std::size_t>(a.width()) * 3),
        rowB(static_cast<std::size_t>(a.width()) * 3);
    for (std::int32_t y = 0; y < a.height(); ++y) {
        check(static_cast<bool>(a.readRowBgr(y, rowA.data())), "decoded picture lost a row");
        check(static_cast<bool>(b.readRowBgr(y, rowB.data())), "in-place picture lost a row");
        check(rowA == rowB, "the two readers disagree on a row");
        for (std::int32_t x = 0; x < a.width(); ++x)
            check(a.colourAt(x, y) == b.colourAt(x, y), "the two readers disagree on a point");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qInstallMessageHandler(quietQt);
    std::string tmpl = (std::filesystem::temp_directory_path() / "veilmark-fuzz-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) fail("no temporary folder");
    g_folder = tmpl;
    std::atexit([] { std::filesystem::remove_all(g_folder); });
    g_ui = new Recorder;
    g_decoder = new vm::QtPictureDecoder;
    g_form = new vm::WindowModel(*g_ui, *g_ui, *g_decoder);
    QImage image(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) image.setPixel(x, y, qRgb(10 * x, 20 * y, 99));
    g_baseline = std::make_shared<vm::DecodedPicture>(std::move(image));
    // Load every image plugin now: what they allocate once for good is not a leak
    // of the first input that asks for them.
    const std::string warmUp = g_folder + "/warm-up";
    std::ofstream(warmUp) << "no picture at all";
    (void)vm::decodePictureFile(warmUp, *g_decoder);
    (void)vm::savePicture(*g_baseline, warmUp);
    (void)vm::decodePictureFile(warmUp, *g_decoder);
    std::filesystem::remove(warmUp);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string path = g_folder + "/" + kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    // The decoder refuses a PNG whose chunks claim more than the file holds before
    // the toolkit sees it; the size asked for here must not reach the toolkit either.
    if (vm::pngChunksFit(data + 1, size - 1) && !affordable(path)) {
        std::filesystem::remove(path);
        return 0;
    }

    const vm::Result<vm::PictureRef> inPlace = vm::openPictureFile(path, *g_decoder);
    check(inPlace || !inPlace.error().empty(), "a failed opening without a reason");
    check(vm::decodeMemoryLimit() == std::uint64_t{512} << 20,
          "the memory limit is not the harness's");

    resetForm();
    g_form->dropOnDecrypt(path);
    const vm::PictureRef& picture = g_form->decryptCanvas.picture();
    // The tab says nothing when the picture opens, and why when it does not.
    if (g_ui->boxes.empty()) {
        check(picture != nullptr && picture != g_baseline, "the tab did not get the picture");
        check(g_form->decryptPreview == picture, "the preview shows another picture");
        check(g_form->area.loaded, "the flag is down after opening");
        check(g_form->area.width == picture->width() && g_form->area.height == picture->height(),
              "the working area is not the picture's size");
        check(picture->width() > 0 && picture->height() > 0, "an empty picture opened");
        if (inPlace) expectSamePoints(*picture, **inPlace);
    } else {
        check(picture == g_baseline && g_form->decryptPreview == g_baseline,
              "a failed opening changed the tab");
        check(g_form->area.loaded && g_form->area.width == g_baseline->width() &&
                  g_form->area.height == g_baseline->height(),
              "a failed opening changed the working area or the flag");
        check(g_form->decryptCanvas.changedPoints() == 0, "a failed opening wrote points");
        check(g_ui->boxes.size() == 1, "a failed opening was not reported exactly once");
        const Recorder::Box& box = g_ui->boxes.front();
        check(box.code == vm::vbCritical && box.title == std::string(vm::kErrorTitle),
              "the failure box is not a critical error box");
        check(box.prompt.find(path) != std::string::npos, "the failure box does not name the file");
    }
    resetForm();
    std::filesystem::remove(path);
    return 0;
}
