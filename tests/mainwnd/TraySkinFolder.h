#pragma once
// The skin folder the tray menu and the dialogs read, for one test: the
// default skin beside the test program, or a copy of it with some layout
// files left out or edited. The folder in use before is put back after.
#include <QFile>
#include <QString>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/ModulePath.h"
#include "skin/CWindowWnd.h"

namespace tembra::test {

class TraySkinFolder {
 public:
  // The default skin as shipped.
  TraySkinFolder() : previous_(CWindowWnd::resourcePath()) {
    CWindowWnd::setResourcePath(QString::fromStdString(defaultSkin()));
  }
  // A copy without the files named in without.
  explicit TraySkinFolder(const std::vector<std::string>& without) : previous_(CWindowWnd::resourcePath()) {
    copy_ = std::make_unique<TempDir>("tembra-tray-skin");
    for (const auto& entry : std::filesystem::directory_iterator(defaultSkin())) {
      const std::string name = entry.path().filename().string();
      if (std::find(without.begin(), without.end(), name) != without.end()) continue;
      std::filesystem::copy_file(entry.path(), copy_->file(name));
    }
    CWindowWnd::setResourcePath(QString::fromStdString(copy_->path()));
  }
  ~TraySkinFolder() { CWindowWnd::setResourcePath(previous_); }
  TraySkinFolder(const TraySkinFolder&) = delete;
  TraySkinFolder& operator=(const TraySkinFolder&) = delete;

  // In a copy: replaces the first `from` in layout file `name` by `to`;
  // false when the file or the text is not there.
  bool edit(const std::string& name, const QString& from, const QString& to) {
    if (!copy_) return false;
    QFile f(QString::fromStdString(copy_->file(name)));
    if (!f.open(QIODevice::ReadOnly)) return false;
    QString text = QString::fromUtf8(f.readAll());
    f.close();
    const qsizetype at = text.indexOf(from);
    if (at < 0) return false;
    text.replace(at, from.size(), to);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(text.toUtf8()) >= 0;
  }

  static std::string defaultSkin() { return ModulePath::record() + "skin/Default/"; }

 private:
  QString previous_;
  std::unique_ptr<TempDir> copy_;
};

}  // namespace tembra::test
