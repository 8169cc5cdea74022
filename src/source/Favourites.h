#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tembra {

// A viewer's favourite channels (in the order the viewer sets) and the
// channels watched last (newest first) for one source, with the
// "play the last channel at start" setting, kept in one file:
//
//   [general]      resume_last=1
//   [favourites]   channel=ID<TAB>NAME     (one line each, in order)
//   [recent]       channel=ID<TAB>NAME
//
// Ids and names are kept both, so a refresh that renames a channel or
// gives it a new id finds it again (by id, then by name); an entry that
// matches no channel stays in the file for a later catalogue that has it.
// Every save replaces the file atomically, mode 0600. A file that exists but
// cannot be read is never written over: the store works in memory only.
class Favourites {
 public:
  static constexpr size_t kRecentLimit = 20;
  static constexpr size_t kMaxFavourites = 10000;
  // Larger files are unreadable to the store.
  static constexpr size_t kMaxFileBytes = 4 * 1024 * 1024;

  struct Channel {
    std::u16string id;
    std::u16string name;
    bool operator==(const Channel&) const = default;
  };

  // $XDG_CONFIG_HOME/tembra/favourites-SOURCEID.ini; characters other than
  // letters, digits, '-' and '_' in the id become '_'.
  static std::string pathFor(const std::string& sourceId);

  // An empty path: kept in memory only.
  explicit Favourites(std::string path = {});

  enum class Loaded { Missing, Read, Unreadable };
  Loaded load();
  // False when the file was unreadable at load, or the write failed.
  bool save() const { return writable() && writeText(path_, text()); }
  bool unreadable() const { return unreadable_; }
  // A path, and no file there that the store could not read.
  bool writable() const { return !path_.empty() && !unreadable_; }
  // The file's text for what the store holds now.
  std::string text() const;
  // Replaces the file at path by text atomically, mode 0600 (its folder is
  // made when missing).
  static bool writeText(const std::string& path, const std::string& text);
  const std::string& path() const { return path_; }

  const std::vector<Channel>& favourites() const { return favourites_; }
  const std::vector<Channel>& recent() const { return recent_; }
  bool isFavourite(std::u16string_view id) const;
  // Adds at the end, or removes; the new state.
  bool toggle(const Channel& channel);
  // Moves a favourite one place up (-1) or down (+1); false at an end or
  // for a channel that is not a favourite.
  bool move(std::u16string_view id, int step);
  // Puts the channel first of the recent ones (the oldest beyond the limit go).
  void noteWatched(const Channel& channel);

  bool resumeLast() const { return resumeLast_; }
  void setResumeLast(bool on) { resumeLast_ = on; }

  // Brings the entries up to date with a catalogue's channels (id, name):
  // an entry whose id the catalogue has takes its name; else the first
  // channel of the entry's name gives it its id (unless that channel is an
  // entry already); else it is left as it is. True when anything changed.
  bool reconcile(const std::vector<Channel>& catalogue);

 private:
  std::string path_;
  std::vector<Channel> favourites_;
  std::vector<Channel> recent_;
  bool resumeLast_ = true;
  bool unreadable_ = false;
};

}  // namespace tembra
