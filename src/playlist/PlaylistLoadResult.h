#pragma once
#include <string>

#include "platform/ContentFetch.h"
#include "playlist/Playlist.h"

namespace tembra {

struct PlaylistLoadResult {
  enum class Status {
    Loaded,
    Unreadable,    // the fetch failed: `fetch` says how
    NotAPlaylist,  // the content is no playlist (a web page, a binary file, stray text)
  };
  Status status = Status::Unreadable;
  FetchResult fetch;
  std::string message;  // the failure in words, naming the location; empty when loaded
  Playlist playlist;

  bool ok() const { return status == Status::Loaded; }
};

}  // namespace tembra
