#pragma once
#include <QCache>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "source/LogoCache.h"

namespace tembra {

// The channels' logos for the lists: asked for by address and size while a
// row is painted, fetched (disk cache or network) and decoded on a few
// worker threads, scaled once to the size asked for, and kept decoded for
// the next paint. The newest requests go first and only the last few
// dozen wait: rows scrolled past are not fetched any more.
class LogoLoader : public QObject {
  Q_OBJECT

 public:
  static constexpr int kWorkers = 4;
  static constexpr size_t kQueueCap = 64;
  static constexpr int kKeptPictures = 3000;
  // A logo larger than this (either side) is not decoded.
  static constexpr int kLargestSide = 4096;

  LogoLoader(std::string folder, LogoCache::Limits limits, QObject* parent = nullptr);
  // Where the logos are kept.
  const std::string& folder() const { return cache_.folder(); }
  ~LogoLoader() override;

  // The logo at most side x side (device-independent pixels, drawn at the
  // screen's scale dpr), or a null pixmap while it is on its way, or when
  // it could not be had. GUI thread only.
  QPixmap logo(const std::string& url, int side, qreal dpr);
  // The logo could not be had (refused, failed, not decodable).
  bool failed(const std::string& url) const;
  // Requests waiting for a worker.
  size_t waiting() const;

  // Decodes a picture no larger than kLargestSide each way, scaled to fit
  // in px x px; a null image for anything else.
  static QImage decode(const std::string& bytes, int px);

 signals:
  // A logo asked for is there (or failed): the lists paint again.
  void arrived();

 private:
  struct Job {
    std::string url;
    int px = 0;
    QString key;
  };
  void work(std::stop_token stop);
  void finish(const QString& key, const std::string& url, const QImage& image, bool failed);
  static QString keyOf(const std::string& url, int px);

  LogoCache cache_;
  // Guards queue_; workers wait on wake_.
  mutable std::mutex lock_;
  std::condition_variable_any wake_;
  std::deque<Job> queue_;  // newest first
  // GUI thread only.
  QCache<QString, QPixmap> pictures_;
  QSet<QString> pending_;
  QSet<QString> failed_;  // by address
  std::vector<std::jthread> workers_;
};

}  // namespace tembra
