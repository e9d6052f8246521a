// The Windows-1250 validator of the editor's text edits, and the paste guard beside it.
#include "params/ui/Cp1250Validator.h"

#include "common/Cp1250.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace vantrel {

namespace {
bool storableChar(const QString& one) {
    return one.size() == 1 && one[0].unicode() >= 0x20 && hasCp1250Code(one);
}
} // namespace

QValidator::State Cp1250Validator::validate(QString& input, int&) const {
    // Text that arrives otherwise than by keyboard or paste (an image loaded into the editor) is left as
    // it is; what the editor then stores of it is pointed out before it is stored.
    return hasCp1250Code(input) ? Acceptable : Invalid;
}

QString Cp1250Validator::storable(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character outside the basic plane is two UTF-16 units and becomes one "?".
        const qsizetype units = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, units);
        i += units - 1;
        out += storableChar(one) ? one : QStringLiteral("?");
    }
    return out;
}

void Cp1250Validator::guardPaste(QLineEdit* edit) {
    edit->installEventFilter(this);
}

bool Cp1250Validator::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste) &&
        !edit->isReadOnly()) {
        edit->insert(storable(QGuiApplication::clipboard()->text()));
        return true;
    }
    return QValidator::eventFilter(watched, event);
}

} // namespace vantrel
