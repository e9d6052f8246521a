// What the harnesses share: a check that ends the run with a message (libFuzzer reports it as a crash and
// keeps the input), an offscreen application for the harnesses that build widgets, and a scratch
// directory of their own for the harnesses that read files.
#pragma once

#include <QByteArray>
#include <QString>

namespace vantrel::fuzz {

// Stops the process with the message when ok is false.
void require(bool ok, const char* what);

// Creates the application object once, on the offscreen platform.
void startOffscreenApplication();

// A directory that lives until the process ends (removed then), and a file in it.
QString scratchDirectory();
QString scratchFile(const char* name);

// Replaces the file with the bytes; stops the run when that fails (the harness, not the tool, is broken).
void writeScratchFile(const QString& path, const QByteArray& bytes);

} // namespace vantrel::fuzz
