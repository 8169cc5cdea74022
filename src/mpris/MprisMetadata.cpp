#include "mpris/MprisMetadata.h"

#include <QDBusObjectPath>
#include <QStringList>
#include <QUrl>

namespace tembra {

namespace {
QString qs(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

QString MprisMetadata::TrackPath(const std::u16string& channelId) {
  if (channelId.empty()) return QString::fromLatin1(kNoTrack);
  const QByteArray utf8 = qs(channelId).toUtf8();
  QString path = QStringLiteral("/org/tembra/channel/c");
  static const char kHex[] = "0123456789ABCDEF";
  for (char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')) {
      path.append(QChar(b));
    } else {
      path.append(QChar('_'));
      path.append(QChar(kHex[b >> 4]));
      path.append(QChar(kHex[b & 15]));
    }
  }
  return path;
}

QVariantMap MprisMetadata::Build(const NowPlaying& now) {
  QVariantMap map;
  map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackPath(now.channelId))));
  if (now.channelId.empty()) return map;
  map.insert(QStringLiteral("xesam:title"), qs(now.name));
  if (!now.group.empty()) map.insert(QStringLiteral("xesam:album"), qs(now.group));
  if (!now.programme.empty()) map.insert(QStringLiteral("xesam:artist"), QStringList{qs(now.programme)});
  if (!now.logoFile.empty())
    map.insert(QStringLiteral("mpris:artUrl"), QUrl::fromLocalFile(QString::fromStdString(now.logoFile)).toString(QUrl::FullyEncoded));
  return map;
}

}  // namespace tembra
