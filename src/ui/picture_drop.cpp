#include "ui/picture_drop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace vm::ui {

std::optional<QString> droppedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return std::nullopt;
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return std::nullopt;
    return urls.front().toLocalFile();
}

PictureDrop::PictureDrop(QWidget* page, Open open) : QObject(page), m_open(std::move(open)) {
    page->setAcceptDrops(true);
    page->installEventFilter(this);
    for (QWidget* child : page->findChildren<QWidget*>())
        if (child->acceptDrops()) child->installEventFilter(this);
}

bool PictureDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!droppedFile(drag->mimeData())) return false;
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::optional<QString> path = droppedFile(drop->mimeData());
            if (!path) return false;
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            m_open(*path);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace vm::ui
