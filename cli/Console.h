// The runner's process at its edges: the command line and the standard
// streams, the same bytes on every platform.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvex::batch {

// Makes the standard streams safe to use before anything else is opened. A
// closed stream stays unusable without its number going to a file the run
// opens; a write to a pipe nobody reads, or past the file size limit, fails
// with its error instead of ending the process. On Windows both output
// streams are binary: lines end in LF as everywhere.
void prepareStandardStreams();

// The arguments after the program's name: UTF-8 on Windows, whatever the
// code page, so that any file name can be given; the bytes as they are
// elsewhere.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Writes the text (UTF-8) to standard output and flushes it. Empty when all
// of it got out, else why not. A Windows console is given the text as
// characters, so that Japanese shows whatever its code page.
std::string writeStandardOutput(std::string_view text);

// The same for standard error.
std::string writeStandardError(std::string_view text);

// One line on standard error, "tarvex-batch: " and the message, with
// whatever in it a terminal would act on escaped.
void writeMessage(std::string_view message);

}  // namespace tarvex::batch
