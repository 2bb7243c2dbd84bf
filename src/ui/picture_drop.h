#pragma once
// Dropping a picture file on a tab page opens it there. The filter sits on the
// page and on every child that takes drops of its own (the text boxes would
// otherwise paste the file's name), so a file lands on the page wherever it is let go.

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QMimeData;
class QWidget;

namespace vm::ui {

// The one local file a drag carries; nothing for text, several files or remote URLs.
std::optional<QString> droppedFile(const QMimeData* mime);

class PictureDrop : public QObject {
    Q_OBJECT
  public:
    using Open = std::function<void(const QString& path)>;

    // Watches page and its children; open runs with the file's path on a drop.
    PictureDrop(QWidget* page, Open open);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Open m_open;
};

}  // namespace vm::ui
