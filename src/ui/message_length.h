#pragma once
// How the message boxes count their characters. The model keeps a line break as
// CR LF, so the box counts one as two of its characters; the rest count one per
// character (not per UTF-16 unit).

#include <QString>
#include <QStringView>

namespace vm::ui {

// Whether a character of the widget's text is a line break.
bool isLineBreak(QChar ch);

// The box's length as the model will hold it.
qsizetype boxLength(QStringView text);

// Text as it is to be inserted into a box: CR LF, a lone CR and the Unicode line
// and paragraph separators all become one '\n'.
QString normaliseLineBreaks(QStringView text);

// The longest start of an insertion (already normalised) whose box length is at
// most room; a line break that needs two places where one is left is not split.
QString fitInsertion(QStringView insertion, qsizetype room);

// The counter shown beside the buttons, "42/160", or "200/160 (over limit)" for a
// longer message put there by a reveal; the tooltip explains the latter (empty otherwise).
QString lengthCaption(qsizetype length, qsizetype limit);
QString lengthToolTip(qsizetype length, qsizetype limit);
// What a screen reader says for the counter: "Characters used: 42 of 160".
QString lengthSpoken(qsizetype length, qsizetype limit);

}  // namespace vm::ui
