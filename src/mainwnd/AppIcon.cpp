#include "mainwnd/AppIcon.h"

#include <QFileInfo>
#include <QString>

#include "platform/ModulePath.h"

namespace tembra {

namespace {
// The sizes the icon is drawn at (the desktop's usual icon theme sizes).
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
}

QIcon AppIcon::load() {
  const std::string folder = ModulePath::folder();
  QIcon icon;
  if (folder.empty()) return icon;
  const QString dir = QString::fromStdString(folder) + QStringLiteral("icons/");
  for (const int size : kSizes) {
    const QString file = dir + QStringLiteral("%1.png").arg(size);
    if (QFileInfo(file).isFile()) icon.addFile(file, QSize(size, size));
  }
  return icon;
}

}  // namespace tembra
