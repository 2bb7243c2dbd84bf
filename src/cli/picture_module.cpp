// The decoder module veilmark-cli loads when a file is more than a plain bitmap
// read in place: it carries the image decoders and the toolkit they stand on.

#include <QtGlobal>

#include "cli/lazy_decoder.h"
#include "imaging/qt_picture_decoder.h"

#ifndef VEILMARK_VERSION
#define VEILMARK_VERSION "0.0.0"
#endif

namespace {
// The decoders report damaged files through the toolkit's log; the command says
// so itself, in one line.
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
}  // namespace

extern "C" __attribute__((visibility("default"))) vm::PictureDecoder*
veilmark_cli_picture_decoder() {
    static vm::QtPictureDecoder decoder;
    qInstallMessageHandler(quiet);
    return &decoder;
}

extern "C" __attribute__((visibility("default"))) const char*
veilmark_cli_picture_module_version() {
    return VEILMARK_VERSION;
}
