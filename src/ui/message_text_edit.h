#pragma once
// The multi-line message box: no scroll bars, Tab moves on, and what the user
// types or pastes stops at the limit (a line break counting two). Text set by the
// program (a message read back) is shown whole, whatever its length.

#include <QPlainTextEdit>

namespace vm::ui {

class MessageTextEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit MessageTextEdit(qsizetype limit, QWidget* parent = nullptr);

    // The text with each line break as a single '\n', nothing else changed
    // (toPlainText would turn no-break spaces into spaces).
    QString boxText() const;
    // Replaces the text, unless it is that text already (keeps the cursor).
    void setBoxText(const QString& text);
    qsizetype length() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    // Places left for an insertion that replaces the current selection.
    qsizetype room() const;

    qsizetype m_limit;
};

}  // namespace vm::ui
