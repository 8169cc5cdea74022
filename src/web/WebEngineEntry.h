#pragma once
#include <QRgb>

class QObject;
class QString;
class QUrl;
class QWidget;

// The functions the program's web library (libtembra-web.so) exports, by
// name and type. The library is built from src/webengine; the program
// opens it through WebEngineLibrary and calls nothing else of it.
extern "C" {
// A new view of the web engine as a child of parent (null: a window of its
// own, ready to be embedded), drawn in background until its page paints.
// Its load results go to listener's signal loadFinished(bool), invoked by
// name on the GUI thread.
using TembraWebCreate = QWidget* (*)(QWidget* parent, QRgb background, QObject* listener);
using TembraWebLoad = void (*)(QWidget* view, const QUrl& url);
using TembraWebSetHtml = void (*)(QWidget* view, const QString& html);
using TembraWebUrl = void (*)(const QWidget* view, QUrl* url);
}

namespace tembra {

struct WebEngineEntry {
  static constexpr const char* kLibrary = "libtembra-web.so";
  static constexpr const char* kCreate = "tembra_web_create";
  static constexpr const char* kLoad = "tembra_web_load";
  static constexpr const char* kSetHtml = "tembra_web_set_html";
  static constexpr const char* kUrl = "tembra_web_url";
};

}  // namespace tembra
