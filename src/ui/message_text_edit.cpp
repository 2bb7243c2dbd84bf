#include "ui/message_text_edit.h"

#include <algorithm>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>

#include "ui/message_length.h"

namespace vm::ui {

MessageTextEdit::MessageTextEdit(qsizetype limit, QWidget* parent)
    : QPlainTextEdit(parent), m_limit(limit) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

QString MessageTextEdit::boxText() const {
    return normaliseLineBreaks(document()->toRawText());
}

void MessageTextEdit::setBoxText(const QString& text) {
    if (boxText() != text) setPlainText(text);
}

qsizetype MessageTextEdit::length() const {
    return boxLength(boxText());
}

qsizetype MessageTextEdit::room() const {
    const qsizetype selected = boxLength(textCursor().selectedText());
    return m_limit - (length() - selected);
}

void MessageTextEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (isReadOnly()) return QPlainTextEdit::keyPressEvent(event);
        if (room() < 2) {
            QApplication::beep();
            return;
        }
        // Always a plain paragraph break: Shift+Enter would otherwise insert a line
        // separator, which the box could not tell from a break when it counts.
        QKeyEvent plain(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        return QPlainTextEdit::keyPressEvent(&plain);
    }
    const QString text = event->text();
    // Only what would put characters in counts. Ctrl alone makes a shortcut (Ctrl+A
    // selects all, even in a full box); Ctrl with Alt is AltGr on some systems, typing.
    const auto chord = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    const bool typing =
        chord != Qt::ControlModifier && !text.isEmpty() &&
        std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.isPrint(); });
    if (typing && !isReadOnly() && boxLength(text) > room()) {
        QApplication::beep();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MessageTextEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = normaliseLineBreaks(event->commitString());
    if (!commit.isEmpty()) {
        const QString fitting = fitInsertion(commit, room());
        if (fitting != commit) {
            QInputMethodEvent cut(event->preeditString(), event->attributes());
            cut.setCommitString(fitting, event->replacementStart(), event->replacementLength());
            return QPlainTextEdit::inputMethodEvent(&cut);
        }
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void MessageTextEdit::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) return;
    // A paste (or a dropped text) is cut to what still fits.
    insertPlainText(fitInsertion(normaliseLineBreaks(source->text()), room()));
    ensureCursorVisible();
}

}  // namespace vm::ui
