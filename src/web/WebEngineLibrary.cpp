#include "web/WebEngineLibrary.h"

#include <QCoreApplication>

#include <dlfcn.h>

namespace tembra {

namespace {

struct Opened {
  WebEngineLibrary::Entry entry;
  bool complete = false;
  QString error;
};

void* symbolOf(void* handle, const char* name, QString& error) {
  void* f = ::dlsym(handle, name);
  if (f == nullptr && error.isEmpty()) error = QStringLiteral("%1 lacks %2").arg(WebEngineEntry::kLibrary, name);
  return f;
}

Opened open() {
  Opened o;
  const QString path = WebEngineLibrary::pathIn(QCoreApplication::applicationDirPath());
  // Local: nothing else in the process is to bind to its symbols.
  void* handle = ::dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = ::dlerror();
    o.error = why != nullptr ? QString::fromLocal8Bit(why) : path;
    return o;
  }
  o.entry.create = reinterpret_cast<TembraWebCreate>(symbolOf(handle, WebEngineEntry::kCreate, o.error));
  o.entry.load = reinterpret_cast<TembraWebLoad>(symbolOf(handle, WebEngineEntry::kLoad, o.error));
  o.entry.setHtml = reinterpret_cast<TembraWebSetHtml>(symbolOf(handle, WebEngineEntry::kSetHtml, o.error));
  o.entry.url = reinterpret_cast<TembraWebUrl>(symbolOf(handle, WebEngineEntry::kUrl, o.error));
  // Kept open for the program's life: its views live until the end.
  o.complete = o.error.isEmpty();
  return o;
}

const Opened& opened() {
  static const Opened once = open();
  return once;
}

}  // namespace

const WebEngineLibrary::Entry* WebEngineLibrary::entry() {
  const Opened& o = opened();
  return o.complete ? &o.entry : nullptr;
}

QString WebEngineLibrary::error() { return opened().error; }

QString WebEngineLibrary::pathIn(const QString& folder) {
  return folder + QLatin1Char('/') + QLatin1String(WebEngineEntry::kLibrary);
}

}  // namespace tembra
