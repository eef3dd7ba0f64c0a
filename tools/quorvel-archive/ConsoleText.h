#pragma once

#include <QByteArray>

#include <cstdio>
#include <string>

namespace quorvel_archive {

// A Windows console shows text in its own code page (866 or 1251 in
// Russia), so UTF-8 bytes written to it come out garbled; it takes wide
// characters as they are. Redirected to a file or a pipe, the program's
// output stays UTF-8 byte for byte.

// Whether the stream is a Windows console; never elsewhere.
bool isConsole(std::FILE* stream);

// Writes UTF-8 text to a console as wide characters; false when the
// console took less.
bool writeToConsole(std::FILE* stream, const QByteArray& utf8);

// Writes UTF-8 text to the stream: through writeToConsole to a console,
// byte for byte elsewhere. False when the stream took less.
bool writeText(std::FILE* stream, const std::string& utf8);

// A message for the user on standard error, as one line.
void printError(const std::string& utf8);

} // namespace quorvel_archive
