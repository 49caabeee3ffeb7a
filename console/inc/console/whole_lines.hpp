#pragma once

#include <cstdio>
#include <optional>
#include <string_view>

namespace hx4x {

// Writes text made of whole lines straight to the file behind the stream, in one piece past
// the stream's buffer (which could split it or keep a failed part of it for later), when
// that file is a regular file written at its end (`>` or `>>`). A write cut short (a
// file-size limit, a full disk) cuts the file back to where the text began, so the file
// never ends in half a line a script would then read. Nothing when the stream is no such
// file (a pipe, a terminal, a device, a file written in its middle): the caller writes
// through the stream. Otherwise whether the text was written whole. The stream must have
// been flushed.
std::optional<bool> write_whole_lines_to_file(std::FILE* stream, std::string_view text);

}  // namespace hx4x
