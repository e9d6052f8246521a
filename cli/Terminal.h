// Standard output and standard error as the platform has them, for Console.cpp: writing bytes with the
// system's own error number on failure, whether a stream is a terminal, and what the terminal can do. Each
// platform's backend is in posix/ or win32/.
#pragma once

#include <QByteArray>

namespace vantrel::cli::terminal {

enum class Stream { Out, Err };

// Once at start: a write to a closed pipe must fail and be reported, not end the program unheard (Linux);
// nothing to do on Windows, where such a write fails anyway.
void prepare();

// Writes UTF-8 text whole; 0, or the system error number of the failure. On a Windows console the text
// goes out as characters, whatever the console's code page.
int write(Stream stream, const QByteArray& utf8);

// Flushes what is still buffered for standard output; 0, or the number of this or an earlier failure.
int finish();

// Whether the number says that the reader of a pipe has gone.
bool closedPipe(int err);

bool isTerminal(Stream stream);

// Whether the terminal takes the sequence that clears the rest of a line: not with TERM=dumb (or no TERM)
// on Linux, and only where the console accepts escape sequences on Windows.
bool knowsEscapes(Stream stream);

} // namespace vantrel::cli::terminal
