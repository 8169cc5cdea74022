#pragma once
// What the controls of one skin window share: the skin folder and its
// images, the window's fonts and default colours, the controls by name and
// the way to the window's notifiers.
#include <QColor>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <functional>
#include <vector>

#include "skin/INotifyUI.h"
#include "skin/SkinLayout.h"

namespace tembra {

class SkinControl;

class SkinContext {
 public:
  explicit SkinContext(QString folder);

  const QString& folder() const { return folder_; }
  // The image of the skin folder, decoded once; a null pixmap (reported
  // once in problems()) when the file is missing or not an image.
  QPixmap image(const QString& fileName);
  bool hasImage(const QString& fileName);

  void setFonts(const std::vector<SkinFont>& fonts);
  // The font of an id; the default font for an unknown id or -1.
  QFont font(int id) const;

  QColor textColor = QColor(0xe6, 0xe9, 0xef);
  QColor disabledTextColor = QColor(0x8b, 0x93, 0xa1);
  QColor linkColor = QColor(0x3d, 0x8b, 0xfd);
  QColor selectedColor = QColor(0x3d, 0x8b, 0xfd);

  void registerControl(SkinControl* control);
  void forgetControl(SkinControl* control);
  SkinControl* find(const QString& name) const;
  const QList<SkinControl*>& controls() const { return ordered_; }

  std::function<void(const SkinNotification&)> notifySink;
  void notify(const SkinNotification& msg) const {
    if (notifySink) notifySink(msg);
  }

  std::vector<SkinProblem>& problems() { return problems_; }

 private:
  QString folder_;
  QHash<QString, QPixmap> images_;
  QHash<int, QFont> fonts_;
  QFont defaultFont_;
  QHash<QString, SkinControl*> byName_;
  QList<SkinControl*> ordered_;
  std::vector<SkinProblem> problems_;
};

QColor skinColor(uint32_t argb);

}  // namespace tembra
