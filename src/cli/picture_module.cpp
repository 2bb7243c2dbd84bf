// The decoder module veilmark-cli loads when a file is more than a plain bitmap
// read in place: it carries the image decoders and the toolkit they stand on.

#include <fcntl.h>
#include <unistd.h>

#include <QtGlobal>
#include <cstdio>

#include "cli/lazy_decoder.h"
#include "imaging/qt_picture_decoder.h"

#ifndef VEILMARK_VERSION
#define VEILMARK_VERSION "0.0.0"
#endif

namespace {
// The decoders report damaged files through the toolkit's log; the command says
// so itself, in one line.
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// Some decoders' libraries write their own line to standard error besides (libpng's
// "libpng error: ..."): while one decodes, that goes nowhere.
class QuietDecoder : public vm::PictureDecoder {
  public:
    vm::Result<vm::PictureRef> decode(const vm::PictureInputRef& input) override {
        std::fflush(stderr);
        const int saved = ::fcntl(2, F_DUPFD_CLOEXEC, 3);
        const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved >= 0 && nowhere >= 0) ::dup2(nowhere, 2);
        if (nowhere >= 0) ::close(nowhere);
        vm::Result<vm::PictureRef> decoded = m_decoder.decode(input);
        if (saved >= 0) {
            std::fflush(stderr);
            ::dup2(saved, 2);
            ::close(saved);
        }
        return decoded;
    }

  private:
    vm::QtPictureDecoder m_decoder;
};
}  // namespace

extern "C" __attribute__((visibility("default"))) vm::PictureDecoder*
veilmark_cli_picture_decoder() {
    static QuietDecoder decoder;
    qInstallMessageHandler(quiet);
    return &decoder;
}

extern "C" __attribute__((visibility("default"))) const char*
veilmark_cli_picture_module_version() {
    return VEILMARK_VERSION;
}
