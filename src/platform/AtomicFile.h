#pragma once
#include <string>
#include <string_view>

namespace tembra {

// Writes data to a temp file beside the target, flushes it to disk and
// renames it over the target, so readers and crashes only ever see the old
// or the new file. A symbolic link is followed, not replaced. An existing
// file keeps its mode; a new one gets newFileMode. False on any failure,
// with the target untouched.
bool replaceFileAtomically(const std::string& path, std::string_view data, unsigned newFileMode = 0644);

}  // namespace tembra
