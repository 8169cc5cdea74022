#include "skin/SkinContext.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include "skin/SkinControl.h"

namespace tembra {

QColor skinColor(uint32_t argb) {
  return QColor((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, (argb >> 24) & 0xFF);
}

SkinContext::SkinContext(QString folder) : folder_(std::move(folder)) {
  defaultFont_.setFamilies({QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")});
  defaultFont_.setPixelSize(12);
}

QPixmap SkinContext::image(const QString& fileName) {
  auto it = images_.constFind(fileName);
  if (it != images_.constEnd()) return *it;
  QPixmap pixmap;
  const QString path = QDir(folder_).filePath(fileName);
  QImageReader reader(path);
  QImage img = reader.read();
  if (img.isNull()) {
    problems_.push_back({fileName.toStdString(), 0, 0, 0,
                         "missing image " + fileName.toStdString() + " (" + reader.errorString().toStdString() + ")"});
  } else {
    pixmap = QPixmap::fromImage(std::move(img));
  }
  images_.insert(fileName, pixmap);
  return pixmap;
}

bool SkinContext::hasImage(const QString& fileName) { return !image(fileName).isNull(); }

void SkinContext::setFonts(const std::vector<SkinFont>& fonts) {
  fonts_.clear();
  for (const SkinFont& f : fonts) {
    QFont font;
    QStringList families;
    if (!f.face.empty()) families << QString::fromStdU16String(f.face);
    families << QStringLiteral("Noto Sans") << QStringLiteral("Noto Sans CJK SC") << QStringLiteral("DejaVu Sans");
    font.setFamilies(families);
    font.setPixelSize(f.size);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    fonts_.insert(f.id, font);
    if (f.isDefault) defaultFont_ = font;
  }
}

QFont SkinContext::font(int id) const { return fonts_.value(id, defaultFont_); }

void SkinContext::registerControl(SkinControl* control) {
  ordered_.append(control);
  const QString name = control->name();
  if (!name.isEmpty() && !byName_.contains(name)) byName_.insert(name, control);
}

void SkinContext::forgetControl(SkinControl* control) {
  ordered_.removeAll(control);
  for (auto it = byName_.begin(); it != byName_.end();) {
    if (it.value() == control) it = byName_.erase(it);
    else ++it;
  }
}

SkinControl* SkinContext::find(const QString& name) const { return byName_.value(name, nullptr); }

}  // namespace tembra
