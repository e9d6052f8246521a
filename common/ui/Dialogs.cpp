#include "common/ui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace vantrel {

namespace {

DialogScript* g_script = nullptr;

// "Description|*.EXT" to the "Description (*.EXT)" form of the Qt file dialog.
QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    return entries.join(QStringLiteral(";;"));
}

// A name typed without an extension gets the default one; when opening, a file that exists under the
// name as typed is taken as it is.
QString withSuffix(const QString& path, const QString& suffix, bool save) {
    if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    if (!save && QFileInfo::exists(path))
        return path;
    return path + QLatin1Char('.') + suffix;
}

QString fileName(QWidget* parent, const FileDialogSpec& spec, bool save) {
    if (DialogScript* script = g_script) {
        script->record(save ? DialogScript::Kind::SaveFile : DialogScript::Kind::OpenFile, QString(), spec.filter);
        return withSuffix(script->takeFileName().value_or(QString()), spec.defaultSuffix, save);
    }
    QFileDialog dialog(parent, QString(), spec.directory, qtFilter(spec.filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    // Opening decides on the suffix itself: a file that exists as typed is opened as typed.
    if (save)
        dialog.setDefaultSuffix(spec.defaultSuffix);
    if (!spec.initialName.isEmpty() && !spec.initialName.contains(QLatin1Char('*')))
        dialog.selectFile(spec.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return withSuffix(dialog.selectedFiles().constFirst(), spec.defaultSuffix, save);
}

void messageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, Dialogs::applicationTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

QString Dialogs::applicationTitle() {
    return QStringLiteral("Vantrel 5");
}

void Dialogs::message(QWidget* parent, const QString& text) {
    if (DialogScript* script = g_script) {
        script->record(DialogScript::Kind::Message, applicationTitle(), text);
        return;
    }
    messageBox(parent, QMessageBox::NoIcon, text);
}

QString Dialogs::withFullStop(const QString& text) {
    return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.');
}

void Dialogs::error(QWidget* parent, const QString& text) {
    const QString shown = withFullStop(text);
    if (DialogScript* script = g_script) {
        script->record(DialogScript::Kind::Error, applicationTitle(), shown);
        return;
    }
    messageBox(parent, QMessageBox::Critical, shown);
}

QString Dialogs::openFileName(QWidget* parent, const FileDialogSpec& spec) {
    return fileName(parent, spec, false);
}

QString Dialogs::saveFileName(QWidget* parent, const FileDialogSpec& spec) {
    return fileName(parent, spec, true);
}

bool Dialogs::print(QWidget* parent, QPrinter& printer) {
    if (DialogScript* script = g_script) {
        script->record(DialogScript::Kind::Print, applicationTitle(), QString());
        const std::optional<QString> file = script->takePrintFile();
        if (!file)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*file);
        return true;
    }
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool Dialogs::question(QWidget* parent, const QString& text) {
    if (DialogScript* script = g_script) {
        script->record(DialogScript::Kind::Question, applicationTitle(), text);
        return script->takeAnswer();
    }
    QMessageBox box(QMessageBox::Question, applicationTitle(), text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Igen"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Nem"));
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> Dialogs::input(QWidget* parent, const QString& title, const QString& prompt,
                                      const QString& initial) {
    if (DialogScript* script = g_script) {
        script->record(DialogScript::Kind::Input, title, prompt);
        return script->takeInput().value_or(std::nullopt);
    }
    bool ok = false;
    const QString answer = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

DialogScript::DialogScript() : previous_(g_script) {
    g_script = this;
}

DialogScript::~DialogScript() {
    g_script = previous_;
}

DialogScript* DialogScript::active() {
    return g_script;
}

std::optional<QString> DialogScript::takeFileName() {
    if (fileNames_.isEmpty())
        return std::nullopt;
    return fileNames_.takeFirst();
}

std::optional<std::optional<QString>> DialogScript::takeInput() {
    if (inputs_.isEmpty())
        return std::nullopt;
    return inputs_.takeFirst();
}

QStringList DialogScript::messages(Kind kind) const {
    QStringList texts;
    for (const Shown& s : shown_)
        if (s.kind == kind)
            texts << s.text;
    return texts;
}

} // namespace vantrel
