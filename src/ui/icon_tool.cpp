// Writes the application icon as PNG files for installing: DIR/16x16/apps/veilmark.png
// and DIR/32x32/apps/veilmark.png, drawn by the same code as the windows' icon.

#include <QDir>

#include <cstdio>

#include "ui/app_style.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 32}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!root.mkpath(folder) ||
            !vm::ui::drawAppIcon(size).save(root.filePath(folder + "/veilmark.png"))) {
            std::fprintf(stderr, "cannot write the %d px icon under %s\n", size, argv[1]);
            return 1;
        }
    }
    return 0;
}
