#pragma once
#include <QString>

#include "web/WebEngineEntry.h"

namespace tembra {

// The program's web library, opened the first time a page is shown
// (GUI thread), from the executable's folder. Opening it loads the web
// engine's libraries (30-40 ms of the dynamic loader's work): a program
// that shows no page never pays for them.
class WebEngineLibrary {
 public:
  struct Entry {
    TembraWebCreate create = nullptr;
    TembraWebLoad load = nullptr;
    TembraWebSetHtml setHtml = nullptr;
    TembraWebUrl url = nullptr;
  };

  // The library's functions, opened on the first call; null when it or one
  // of its functions is missing (error() says which).
  static const Entry* entry();
  static QString error();
  // Where it is looked for: folder/libtembra-web.so.
  static QString pathIn(const QString& folder);
};

}  // namespace tembra
