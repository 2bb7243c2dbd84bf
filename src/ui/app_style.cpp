#include "ui/app_style.h"

namespace vm::ui {

QFont appFont(int pointSize) {
    QFont font(QStringLiteral("Arial"), pointSize);
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QIcon appIcon() {
    QIcon icon;
    // The sizes rendered into the program's resources at build time (src/ui/CMakeLists.txt).
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace vm::ui
