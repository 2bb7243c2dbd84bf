// The decoder module veilmark-cli loads when a command needs more than a plain
// bitmap read in place: it carries the image decoders and the bitmap writer of
// the core, and the toolkit they stand on.

#include <QtGlobal>

#include "cli/picture_io.h"

namespace {
// The decoders report damaged files through the toolkit's log; the command says
// so itself, in one line.
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
}  // namespace

extern "C" __attribute__((visibility("default"))) vm::cli::PictureIo* veilmark_cli_picture_io() {
    static vm::cli::DirectPictureIo io;
    qInstallMessageHandler(quiet);
    return &io;
}
