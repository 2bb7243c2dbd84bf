#include "ui/message_length.h"

namespace vm::ui {

bool isLineBreak(QChar ch) {
    return ch == u'\n' || ch == u'\r' || ch == QChar::ParagraphSeparator ||
           ch == QChar::LineSeparator;
}

namespace {

// The places character i of text takes, and how many UTF-16 units it spans.
struct Step {
    qsizetype places;
    qsizetype units;
};

Step stepAt(QStringView text, qsizetype i) {
    const QChar ch = text[i];
    if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') return {2, 2};
    if (isLineBreak(ch)) return {2, 1};
    if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) return {1, 2};
    return {1, 1};
}

}  // namespace

qsizetype boxLength(QStringView text) {
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size();) {
        const Step step = stepAt(text, i);
        length += step.places;
        i += step.units;
    }
    return length;
}

QString normaliseLineBreaks(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        out.append(isLineBreak(ch) ? QChar(u'\n') : ch);
    }
    return out;
}

QString fitInsertion(QStringView insertion, qsizetype room) {
    qsizetype used = 0;
    qsizetype end = 0;
    while (end < insertion.size()) {
        const Step step = stepAt(insertion, end);
        if (used + step.places > room) break;
        used += step.places;
        end += step.units;
    }
    return insertion.first(end).toString();
}

QString lengthCaption(qsizetype length, qsizetype limit) {
    const QString caption = QStringLiteral("%1/%2").arg(length).arg(limit);
    // A message read back (one written by veilmark-cli, say) may be longer than typing
    // allows; it is shown whole, and the counter says why it passes the limit.
    return length > limit ? caption + QStringLiteral(" (over limit)") : caption;
}

QString lengthSpoken(qsizetype length, qsizetype limit) {
    const QString said = QStringLiteral("Characters used: %1 of %2").arg(length).arg(limit);
    return length > limit ? said + QStringLiteral(", over the limit") : said;
}

QString lengthToolTip(qsizetype length, qsizetype limit) {
    if (length <= limit) return {};
    return QStringLiteral(
               "This message is longer than the %1 characters that can be typed "
               "here; it is shown whole.")
        .arg(limit);
}

}  // namespace vm::ui
