// The one seam through which the tool asks modal questions: message boxes, file dialogs and the input
// box. A DialogScript that a test keeps alive answers them instead, so no test blocks on a modal window.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QPrinter;
class QWidget;

namespace vantrel {

struct FileDialogSpec {
    QString filter;          // "Description|*.EXT" pairs, as the file types are written
    QString initialName;     // file name the dialog opens with
    QString defaultSuffix;   // added to a typed name without an extension (without the dot)
    QString directory = {};  // folder the dialog opens in; empty: where it last was
};

namespace Dialogs {

// The title of every message box: the application's name.
QString applicationTitle();

// A notice with an OK button.
void message(QWidget* parent, const QString& text);
// The general error handler's box: error icon, the text with a full stop added when it has none.
void error(QWidget* parent, const QString& text);
// The text as the error box shows it.
QString withFullStop(const QString& text);

// File dialogs: the chosen path, or an empty text when the user cancelled.
QString openFileName(QWidget* parent, const FileDialogSpec& spec);
QString saveFileName(QWidget* parent, const FileDialogSpec& spec);

// The system's print dialog for printer (where the installer may also choose a PDF file); true when
// the installer chose to print.
bool print(QWidget* parent, QPrinter& printer);

// A yes/no question ("Igen"/"Nem"); No is the default button. True when the answer was yes.
bool question(QWidget* parent, const QString& text);

// The input box: the answer, or nothing when it was cancelled.
std::optional<QString> input(QWidget* parent, const QString& title, const QString& prompt, const QString& initial);

} // namespace Dialogs

// While an instance lives, every dialog of the seam is answered from it: file and input answers come
// from the queues (an empty queue answers "cancelled"), and every box shown is recorded.
class DialogScript {
public:
    enum class Kind { Message, Error, OpenFile, SaveFile, Input, Question, Print };
    struct Shown {
        Kind kind;
        QString title;
        QString text; // message text, input prompt, or the file filter
    };

    DialogScript();
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    void setNextFileName(const QString& path) { fileNames_.append(path); }
    void setNextInput(const std::optional<QString>& answer) { inputs_.append(answer); }
    // Answers to questions; an empty queue answers no.
    void setNextAnswer(bool yes) { answers_.append(yes); }
    // A print dialog answered with a PDF file to print into; an empty queue cancels.
    void setNextPrintFile(const QString& pdfPath) { printFiles_.append(pdfPath); }

    const QList<Shown>& shown() const { return shown_; }
    QStringList messages(Kind kind) const;
    void clear() { shown_.clear(); }

    static DialogScript* active();

    // Used by the seam itself.
    void record(Kind kind, const QString& title, const QString& text) { shown_.append({kind, title, text}); }
    std::optional<QString> takeFileName();
    std::optional<std::optional<QString>> takeInput(); // nothing when no answer is queued
    bool takeAnswer() { return !answers_.isEmpty() && answers_.takeFirst(); }
    std::optional<QString> takePrintFile() {
        return printFiles_.isEmpty() ? std::nullopt : std::optional(printFiles_.takeFirst());
    }

private:
    QList<Shown> shown_;
    QStringList fileNames_;
    QList<std::optional<QString>> inputs_;
    QList<bool> answers_;
    QStringList printFiles_;
    DialogScript* previous_;
};

} // namespace vantrel
