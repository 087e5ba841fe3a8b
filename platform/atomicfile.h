#pragma once
// Writing a file so that a crash or a full disk never leaves it half-written: the bytes go to
// a temporary file in the same folder, are flushed to disk, and replace the file by rename.

#include <filesystem>
#include <string_view>

namespace orvel::atomicfile {

// A replaced file keeps its permissions; a new one gets 0666 less the umask.
// True when the file now holds exactly these bytes; on failure the old file is untouched,
// the temporary file is removed and the reason is written to the debug log.
// Temporary files that an interrupted save left in the folder (older than a minute) are
// removed on the way.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

} // namespace orvel::atomicfile
