#pragma once
#include <string>
#include <vector>

#include "source/SourceSettings.h"

namespace tembra {

// The user's sources, kept in one file (normally
// $XDG_CONFIG_HOME/tembra/sources.ini) that every change replaces
// atomically, with the source used last.
//
//   [tembra]            order=1,3        last=3
//   [source.1]          name=...  kind=playlist  playlist=...  guides=a,b
//                       offset=0  useragent=...
//   [source.3]          name=...  kind=xtream  server=...  user=...
//                       password=... (or secret=1: in the secret store)
class SourceList {
 public:
  static std::string defaultPath();

  explicit SourceList(std::string path);

  // Reads the file; a missing file is an empty list. False when the file
  // exists but cannot be read (the list is then empty and save() refuses, so
  // a passing fault never wipes the user's sources).
  bool load();
  // Writes the whole list; false when it could not.
  bool save() const;

  const std::vector<SourceSettings>& sources() const { return sources_; }
  const SourceSettings* find(const std::string& id) const;
  // The playlist source with this address, compared as written.
  const SourceSettings* findPlaylist(const std::string& location) const;
  const SourceSettings* operatorSource() const;
  // Adds the source with a fresh id, which it returns.
  std::string add(SourceSettings source);
  // Replaces the source with the same id; false when there is none.
  bool update(const SourceSettings& source);
  bool remove(const std::string& id);

  const std::string& lastUsed() const { return lastUsed_; }
  void setLastUsed(const std::string& id) { lastUsed_ = id; }

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::vector<SourceSettings> sources_;
  std::string lastUsed_;
  unsigned long nextId_ = 1;  // ids are never reused
  bool unreadable_ = false;
};

}  // namespace tembra
