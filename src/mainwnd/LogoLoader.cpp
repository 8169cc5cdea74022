#include "mainwnd/LogoLoader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

namespace tembra {

LogoLoader::LogoLoader(std::string folder, LogoCache::Limits limits, QObject* parent)
    : QObject(parent), cache_(std::move(folder), limits), pictures_(kKeptPictures) {
  workers_.reserve(kWorkers);
  for (int i = 0; i < kWorkers; ++i) workers_.emplace_back([this](std::stop_token stop) { work(stop); });
}

// Each worker is stopped (its download ends within a fraction of a second)
// and joined before the object goes; what it queued to the GUI thread goes
// with the object.
LogoLoader::~LogoLoader() {
  for (auto& w : workers_) w.request_stop();
  wake_.notify_all();
  workers_.clear();
}

QString LogoLoader::keyOf(const std::string& url, int px) {
  return QString::number(px) + QLatin1Char(' ') + QString::fromStdString(url);
}

QPixmap LogoLoader::logo(const std::string& url, int side, qreal dpr) {
  if (url.empty() || side <= 0) return {};
  const int px = std::max(1, static_cast<int>(side * dpr + 0.5));
  const QString key = keyOf(url, px);
  if (const QPixmap* kept = pictures_.object(key)) {
    QPixmap p = *kept;
    p.setDevicePixelRatio(dpr);
    return p;
  }
  if (pending_.contains(key) || failed_.contains(QString::fromStdString(url))) return {};
  pending_.insert(key);
  std::vector<QString> dropped;
  {
    std::lock_guard<std::mutex> hold(lock_);
    queue_.push_front(Job{url, px, key});
    while (queue_.size() > kQueueCap) {
      dropped.push_back(queue_.back().key);
      queue_.pop_back();
    }
  }
  // Dropped ones are asked for again if their rows are painted again.
  for (const QString& k : dropped) pending_.remove(k);
  wake_.notify_one();
  return {};
}

bool LogoLoader::failed(const std::string& url) const { return failed_.contains(QString::fromStdString(url)); }

size_t LogoLoader::waiting() const {
  std::lock_guard<std::mutex> hold(lock_);
  return queue_.size();
}

QImage LogoLoader::decode(const std::string& bytes, int px) {
  if (bytes.empty() || px <= 0) return {};
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (!size.isValid() || size.width() > kLargestSide || size.height() > kLargestSide) return {};
  QImage image = reader.read();
  if (image.isNull()) return {};
  if (image.width() > px || image.height() > px) image = image.scaled(px, px, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void LogoLoader::work(std::stop_token stop) {
  while (!stop.stop_requested()) {
    Job job;
    {
      std::unique_lock<std::mutex> hold(lock_);
      if (!wake_.wait(hold, stop, [this] { return !queue_.empty(); })) return;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    const LogoCache::Result got = cache_.get(job.url, stop);
    if (got.status == LogoCache::Status::Cancelled || stop.stop_requested()) return;
    const QImage image = got.status == LogoCache::Status::Ok ? decode(got.bytes, job.px) : QImage();
    QMetaObject::invokeMethod(
        this, [this, key = job.key, url = job.url, image] { finish(key, url, image, image.isNull()); },
        Qt::QueuedConnection);
  }
}

void LogoLoader::finish(const QString& key, const std::string& url, const QImage& image, bool failed) {
  pending_.remove(key);
  if (failed) failed_.insert(QString::fromStdString(url));
  else pictures_.insert(key, new QPixmap(QPixmap::fromImage(image)));
  emit arrived();
}

}  // namespace tembra
