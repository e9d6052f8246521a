// Text edits whose content goes into the image as Windows-1250 bytes accept only characters that the code
// page has, so nothing typed is silently turned into "?" on the way to the module: a key without a code is
// refused. Pasted text is kept, with "?" for each character without a code (control characters included,
// which would end the text for the module), once the paste guard sits on the edit.
#pragma once

#include <QValidator>

class QLineEdit;

namespace vantrel {

class Cp1250Validator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;

    // The text with "?" for every character that cannot go into the image.
    static QString storable(const QString& text);
    // Makes Ctrl+V (and the other paste keys) on edit insert the storable form of the clipboard's text.
    void guardPaste(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vantrel
